// The sweep table. Measurement comes with the junk-sweep work.
#include "sweep/sweep.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "sweep/results_list.h"

namespace {
SweepCategory g_table[SWEEP_COUNT] = {
    {"Sweep Temporary Internet Files", 1, 0, 0, 0}, {"Sweep Internet cookies", 1, 0, 0, 0},
    {"Sweep Start menu Documents", 1, 0, 0, 0},     {"Sweep Temporary Windows file", 1, 0, 0, 0},
    {"Sweep Internet History", 1, 0, 0, 0},         {"Sweep Other temporary files", 0, 0, 0, 0},
    {"Sweep Recycle Bin", 1, 0, 0, 0},              {"OVERALL GAIN", 0, 0, 0, 0},
};
}  // namespace

void GetSweepTable(SweepCategory (&out)[SWEEP_COUNT]) {
    for (int i = 0; i < SWEEP_COUNT; ++i) out[i] = g_table[i];
}

void MeasureCategories() {}

void RefreshSweep() {
    MeasureCategories();
    FillResultsLists();
}

void ReadTicksFromList() {
    for (int i = 0; i < SWEEP_RECYCLE_BIN + 1; ++i) {
        UINT state = g_app.resultsList
                         ? static_cast<UINT>(SendMessageA(g_app.resultsList, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK))
                         : (1u << 12);
        g_table[i].ticked = ((state & LVIS_STATEIMAGEMASK) >> 12) == 1 ? 0 : 1;
    }
}

void SaveCategoryTicks() {}

void LoadCategoryTicks() {}
