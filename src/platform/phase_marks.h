#pragma once
// Marks where a phase of a run begins, so that a benchmark can split a batch run's time. Only
// when the environment sets KESTRAVE_PHASE_MARKS does a mark write "phase NAME SECONDS" on
// standard error, SECONDS read from the monotonic clock (std::chrono::steady_clock), which the
// process that started the run reads too.

namespace kestrave {

void markPhase(const char* name);

}  // namespace kestrave
