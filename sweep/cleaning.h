// The cleaning engine: one cleaning step per category of the table. All
// it needs from its caller (the recorder, the confirmer, the abort and who
// hears of the steps) comes in the context; it never opens a window.
#pragma once

#include "sweep/sweep.h"

struct CleanContext;

// Runs the steps with the ticks of the sweep table as they are now
// (a snapshot: later changes to the table do not reach a running clean).
void CleanCategories(CleanContext& context);
// The same with the given ticks, in table order; a category is cleaned
// only when its tick is exactly 1. The report goes out when the last step
// is done, aborted or not.
void CleanCategoriesWithTicks(const CategoryTicks& ticked, CleanContext& context);
