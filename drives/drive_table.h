// The drive table and the drive list (1019).
#pragma once

void EnumerateDrives();
void SetUpDriveListView();
void FillDriveListView();
void RefreshDriveTable();
