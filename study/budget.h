// The seconds the report may spend timing again what was disturbed, spent by its phases in
// turn: each may spend its share of the whole and what the phases before it left of theirs.
#pragma once

class RetimeBudget {
 public:
  explicit RetimeBudget(double seconds) : seconds_(seconds) {}

  // A phase begins that may spend share of the whole, with what earlier phases left.
  void begin_phase(double share) { shares_ += share; }
  // Whether a round expected to take round_s seconds fits what the phase may still spend.
  [[nodiscard]] bool allows(double round_s) const {
    return seconds_ > 0 && spent_ + round_s <= seconds_ * shares_;
  }
  void spend(double seconds) { spent_ += seconds; }
  [[nodiscard]] double seconds() const { return seconds_; }
  [[nodiscard]] double spent() const { return spent_; }

 private:
  double seconds_;
  double shares_ = 0;  // of the whole, the phases begun so far
  double spent_ = 0;
};

// The phases' shares: most findings rest on the study (why, the chains, the model, the calls,
// two pairs), the crossovers on the sweep, the agreement on all three; the programs' runs
// answer the first question, but a round of them takes a second and more.
inline constexpr double PROGRAMS_SHARE = 0.3;
inline constexpr double STUDY_SHARE = 0.4;
inline constexpr double SWEEP_SHARE = 0.3;
