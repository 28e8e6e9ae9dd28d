// The report's own figures held to what its file can hold (figures/limits.h), before anything
// is worked out or written: a chain that a file could not hold, or that cannot be its kernel's
// (a Euclid loop without a division), and a model beyond the limits, are left out, each with
// one note saying why; the rest of the report stands.
#pragma once

#include "report/figures/results.h"

void keep_within_limits(Results& results);
