// The latencies timed here and the divider on Euclid's own operands, as text: the first part
// of the answer to "what bounds a pass?".
#pragma once

#include <string>
#include <vector>

#include "study/divider.h"
#include "study/latency.h"

// Where the divider's latencies on two sizes of quotient part by more than this, the report
// says that the divider takes longer on larger quotients.
inline constexpr double DIVIDER_DEPENDS = 0.10;

// The latencies in two columns, as the chains timed them, and the forms not used.
void latency_table(std::string& out, const Latencies& latencies);

// The divider's latency on each size of quotient, beside Gauss-Kuzmin's shares, and whether it
// takes longer on larger quotients.
void divider_table(std::string& out, const std::vector<DividerFigures>& divider);
