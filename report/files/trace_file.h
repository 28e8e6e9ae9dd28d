// One pair traced through the kit kernels' loops, as a JSON document.
#pragma once

#include "report/figures/trace.h"
#include "report/files/json.h"

// "format": "gcd-kit trace 1", the two words, and each kernel's passes, result and exit.
[[nodiscard]] Json trace_json(const Trace& trace);
