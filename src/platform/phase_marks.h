#pragma once
// Marks where a phase of a run begins, so that a benchmark can split a batch run's time. Only
// when the environment sets KESTRAVE_PHASE_MARKS does a mark write "phase NAME SECONDS" on
// standard error, SECONDS read from the monotonic clock (std::chrono::steady_clock), which the
// process that started the run reads too; at exit the program then also writes "peak KB", its
// peak resident memory. (The peak that the parent learns when it reaps the child also counts the
// parent's own memory at the time it started the child.)

namespace kestrave {

void markPhase(const char* name);

}  // namespace kestrave
