// Trap bypass: a host exempts a stretch of its own code, on one thread, from every
// trap. The counter is the thread's own; the frontstop registration it suspends is
// shared (frontstop_registration.h).
#include "reporter.h"
#include "traps/frontstop_registration.h"
#include "traps/thread_value.h"
#include "traps/trap_bypass.h"

void StartTrapBypass(CReporter* reporter) {
  if (reporter->reportView == nullptr) return;
  const int32_t depth = trapBypassDepth.Get() + 1;
  trapBypassDepth.Set(depth);
  if (depth == 1) SuspendFrontstop(reporter);
}

// An end without a start takes the counter below 0: the thread is then not
// bypassed, and the start that brings it back to 0 suspends nothing.
void EndTrapBypass(CReporter* reporter) {
  if (reporter->reportView == nullptr) return;
  const int32_t depth = trapBypassDepth.Get() - 1;
  trapBypassDepth.Set(depth);
  if (depth == 0) ResumeFrontstop(reporter);
}
