// The scheduled task that runs "brisolac clean --ticked --yes".
#pragma once

// `when`: "weekly", "daily", "logon" or "off" (removes the task). The exit
// code: 0 done, 2 a `when` it does not know, 3 the scheduler refused.
int ScheduleClean(const char* when);
