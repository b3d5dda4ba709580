// The disk scan by filters, run on the disk-scan thread.
#pragma once

// Scans the ticked fixed drives. Returns 1 when every selected drive was
// scanned, 0 when the user stopped it.
int RunDiskScan();
