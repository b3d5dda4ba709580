// The cleaning engine: the steps, their questions and their pace. The
// deletions themselves are the categories' (sweep/categories.h).
#include "sweep/cleaning.h"

#include <mmsystem.h>

#include "settings/policy.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/clean_context.h"
#include "sweep/clean_report.h"
#include "sweep/sweep.h"

namespace {

const DWORD kStepMilliseconds = 120;

// Asks the context's confirmer on the calling thread. With none nothing is
// confirmed: a clean never deletes what nobody agreed to.
bool Confirm(CleanContext& context, const char* subject) {
    if (context.Aborted()) return false;
    return context.confirm && context.confirm(subject) && !context.Aborted();
}

// Waits until more than the step time has passed since `mark`; the end of
// the wait becomes the new mark.
void PaceStep(const CleanContext& context, DWORD& mark) {
    for (;;) {
        DWORD now = timeGetTime();
        DWORD elapsed = now - mark;
        if (elapsed > kStepMilliseconds || context.Aborted()) {
            mark = now;
            return;
        }
        Sleep(kStepMilliseconds + 1 - elapsed);
    }
}

}  // namespace

void CleanCategoriesWithTicks(const CategoryTicks& ticked, CleanContext& context) {
    DWORD mark = timeGetTime();
    CleanRecorder& recorder = context.recorder;
    recorder.Begin(ticked);
    for (int step = 0; step < SWEEP_CATEGORIES; ++step) {
        const CategoryRecord& category = CategoryAt(step);
        char subject[256] = {};
        // Looked up afresh for every ticked step: a failed lookup leaves
        // the buffer empty and the step skipped, never the last step's path.
        // A category the policy forbids is never cleaned, whoever asks.
        if (ticked[step] == 1 && PolicyTickFor(step) == 0) {
            recorder.BeginCategory(step);
            recorder.Refused(kBlockedByPolicy);
        } else if (ticked[step] == 1 && !context.Aborted() && category.findSubject(subject)) {
            bool ask = g_settings.askDel || PolicyAlwaysAsks();
            bool confirmed = ask && Confirm(context, subject);
            if (!ask || confirmed) {
                recorder.BeginCategory(step);
                category.clean(context, subject, confirmed);
            }
        }
        // The steps are paced for the eye; without a bar (brisolac, the
        // tests) nobody watches them.
        if (context.paced && context.paced->load()) PaceStep(context, mark);
        if (context.stepped) context.stepped();
    }
    recorder.End();
}

void CleanCategories(CleanContext& context) {
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    CategoryTicks ticked;
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) ticked[i] = table[i].ticked;
    ApplyPolicyToTicks(ticked);
    CleanCategoriesWithTicks(ticked, context);
}
