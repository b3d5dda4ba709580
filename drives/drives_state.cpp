#include "drives/drives_state.h"

DrivesState g_drives;

