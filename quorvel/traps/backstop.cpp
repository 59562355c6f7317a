// The trap for dismissed exceptions: any exception that a handler dismissed and that
// no exclude rule covers is reported before execution continues.
#include "reporter.h"
#include "traps/rule_match.h"
#include "traps/trap_run.h"
#include "traps/traps.h"

bool BackstopDecides(const TrapFacts& facts) {
  // The rules first, whatever else holds.
  const int verdict = MatchExceptionRules(facts.pointers, false);
  return verdict != kVerdictExcluded && facts.bypassDepth <= 0 && reporterInstance != nullptr;
}

LONG CALLBACK BackstopHandler(EXCEPTION_POINTERS* pointers) {
  RunTrap(BackstopDecides, pointers);
  return EXCEPTION_CONTINUE_SEARCH;
}
