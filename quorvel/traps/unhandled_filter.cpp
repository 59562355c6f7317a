// The last trap: an exception nobody handled. Any rule that matched, include rules
// too, keeps it from being reported here: those exceptions were the front's business.
#include "reporter.h"
#include "traps/rule_match.h"
#include "traps/trap_run.h"
#include "traps/traps.h"

bool UnhandledFilterDecides(const TrapFacts& facts) {
  const int verdict = MatchExceptionRules(facts.pointers, false);
  return verdict == kVerdictNoRule && facts.bypassDepth <= 0 && reporterInstance != nullptr;
}

// The filter that was in place before is deliberately not called: the system's own
// default processing follows.
LONG CALLBACK UnhandledFilter(EXCEPTION_POINTERS* pointers) {
  RunTrap(UnhandledFilterDecides, pointers);
  return EXCEPTION_CONTINUE_SEARCH;
}
