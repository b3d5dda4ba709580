// The drive table. Placeholder until the drive cleaner is built.
#include "drives/drive_table.h"

void EnumerateDrives() {}
void SetUpDriveListView() {}
void FillDriveListView() {}
void RefreshDriveTable() {}
