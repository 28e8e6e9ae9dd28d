// Working out every figure that the renderers share, once: after a run's measurements, and
// after a report is read back from its file, by the same call.
#pragma once

#include "report/figures/results.h"

// Fills results.worked_out from the rest of the results.
void work_out(Results& results);
