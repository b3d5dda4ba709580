#include "jobs/job_lock.h"

namespace {
// Per session: the console program and the GUI of the same user.
const char kJobMutexName[] = "Local\\BrisolaCleaningJob";
}  // namespace

JobLock::JobLock() {
    mutex_ = CreateMutexA(nullptr, FALSE, kJobMutexName);
    if (!mutex_) return;
    DWORD r = WaitForSingleObject(mutex_, 0);
    // An abandoned mutex is ours now: its owner ended without a word.
    held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

JobLock::~JobLock() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

bool JobLockHeldElsewhere() {
    JobLock probe;
    return !probe.held();
}
