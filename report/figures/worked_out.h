// The figures worked out from the measurements, once (work_out.h), for every renderer alike:
// the text, the JSON file, side by side and the pictures only format them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "study/stats.h"

// A benchmark program's runs: their median, fastest and slowest, per call, and against the
// first program.
struct ProgramCost {
  std::string program;
  double median_ms = 0;
  double min_ms = 0;
  double max_ms = 0;
  double ns_per_call = 0;  // the median run over its calls
  Estimate ratio;          // of the medians to the first program's, with its interval
  double spread = 0;       // (max - min) / median
};

// A kernel or peer on the programs' pairs in this process, net of the loop.
struct KernelCost {
  std::string kernel;
  double ns_per_call = 0;                 // the median of the repetitions
  std::optional<double> ns_per_pass;      // where its passes were counted
  std::optional<double> cycles_per_call;  // where the clock is known
  std::optional<double> cycles_per_pass;
  Estimate ratio_to_euclid;  // of the medians to gcd_euclid_u's, with its interval
};

// A kernel's cycles per pass by a model or a bound, against the measurement: per pass, and
// per call (the passes per call times the cycles per pass, plus one mispredicted exit).
struct ModelAgainstMeasure {
  double measured_cycles_per_pass;
  double model_cycles_per_call;
  double measured_cycles_per_call;
  double difference;  // of the model per call, as a share of the measured
};

// A kit kernel's chain and LLVM's model of its pass, each against its measured call; none
// without the clock and the cost of a mispredicted branch.
struct KernelBoundFigures {
  std::string kernel;
  std::optional<ModelAgainstMeasure> by_chain;
  std::optional<ModelAgainstMeasure> by_model;
};

// The three phases that measure each kit kernel's ns a pass (figures/agreement.h).
enum class Phase { programs, study, sweep };

struct PhaseFigure {
  Phase phase;
  Estimate ns_per_pass;  // with the 95% interval where there is one
};

struct Agreement {
  std::string kernel;
  std::vector<PhaseFigure> figures;  // the phases that measured it
  std::optional<Phase> apart;        // the one phase that parts from the two others, which agree
  bool all_part = false;             // no two of the three (or the two) agree
};

// From which operand size on a binary kernel is faster than the Euclidean one of its
// signedness at every size of the sweep.
struct Crossover {
  bool measured = false;    // the sweep timed both kernels at some size
  unsigned from_bits = 0;   // 0: at no size
  bool every_size = false;  // from the sweep's first size on
};

struct WorkedOut {
  std::vector<ProgramCost> programs;
  std::optional<Estimate> unsigned_speedup;  // binary's over Euclid's program, as times as fast
  std::optional<Estimate> signed_speedup;
  std::vector<KernelCost> kernels;
  std::vector<KernelBoundFigures> bounds;  // per kit kernel with a chain or a model
  std::vector<Agreement> agreements;       // per kit kernel with counted passes
  Crossover unsigned_crossover;
  Crossover signed_crossover;
};
