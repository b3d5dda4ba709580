// The named mutex a running cleaning job holds, so that the GUI and the
// console program never clean at the same time.
#pragma once

#include <windows.h>

class JobLock {
public:
    // Takes the mutex without waiting; held() says whether it was got.
    JobLock();
    ~JobLock();
    JobLock(const JobLock&) = delete;
    JobLock& operator=(const JobLock&) = delete;
    bool held() const { return held_; }

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

// True when another clean holds the mutex now (or it cannot be had at all),
// so that a clean asked for here must not start.
bool JobLockHeldElsewhere();
