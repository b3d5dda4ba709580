// The scheduled task that runs "brisolac clean --ticked --yes".
#pragma once

// `when`: "weekly", "daily", "logon", "off" (removes the task) or "policy"
// (the weekly day and time a Group Policy sets; nothing when none is set;
// the installers run it at every logon). The exit code: 0 done, 2 a `when`
// it does not know, 3 the scheduler refused.
int ScheduleClean(const char* when);
