// What one clean carries from its caller through the engine to every
// category's clean: where it records, whom it asks, when it stops and who
// hears of its steps. The engine keeps no state of its own between cleans.
#pragma once

#include <atomic>

#include "sweep/clean_report.h"

// Asked before a category is cleaned (when the settings or a policy ask
// for it), on the cleaning thread; true for yes.
using CleanConfirmer = bool (*)(const char* subject);
// Told after each cleaning step, on the cleaning thread.
using CleanStepListener = void (*)();

struct CleanContext {
    // `abort`, when given, ends the clean soon once set (from any thread):
    // the remaining steps do no work and a folder walk stops at its next
    // entry. It must outlive the context.
    explicit CleanContext(const std::atomic<bool>* abort = nullptr) : abort(abort), recorder(abort) {}

    bool Aborted() const { return abort && abort->load(); }

    const std::atomic<bool>* const abort;
    CleanRecorder recorder;
    // None: nothing that would be asked about is cleaned.
    CleanConfirmer confirm = nullptr;
    CleanStepListener stepped = nullptr;
    // While true, someone watches the steps (a progress bar) and they are
    // paced for the eye; none: never.
    const std::atomic<bool>* paced = nullptr;
};
