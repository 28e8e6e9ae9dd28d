// The report's answer to "how do the passes spread?" as text: passes per call, Euclid's
// quotients, the zeros of the binary loop's differences and its exits, each against its law,
// with a finding where the sample parts from the law by more than it can explain.
#pragma once

#include <string>

#include "study/study.h"

void spread_section(std::string& out, const Study& study);
