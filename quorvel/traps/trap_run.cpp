#include "traps/trap_run.h"

#include "reporter.h"
#include "traps/handler_chain.h"
#include "traps/rescue_stack.h"
#include "traps/seh_guard.h"
#include "traps/thread_value.h"
#include "traps/trap_gate.h"

namespace {

// 1 while the thread runs a trap.
ThreadValue insideTrap;

struct TrapRun {
  TrapDecision decide;
  TrapFacts facts;
  bool report;
};

void Decide(void* argument) {
  TrapRun* run = static_cast<TrapRun*>(argument);
  run->report = run->decide(run->facts);
}

void DecideAndReport(void* argument) {
  TrapRun* run = static_cast<TrapRun*>(argument);
  run->report = false;
  if (!EnterTrapGate()) return;
  const bool decided = GuardedCall(Decide, run);
  LeaveTrapGate();
  if (decided && run->report) FileCrashReport(run->facts.pointers);
}

}  // namespace

TrapFacts CaptureTrapFacts(EXCEPTION_POINTERS* pointers) {
  const StackRange stack = CurrentStackRange();
  return TrapFacts{pointers, trapBypassDepth.Get(), CurrentChainHead(), stack.low, stack.high};
}

void RunTrap(TrapDecision decide, EXCEPTION_POINTERS* pointers) {
  // Read first: reading a thread-local value clears it.
  const DWORD lastError = GetLastError();
  if (insideTrap.Get() != 0) {
    SetLastError(lastError);
    return;
  }
  insideTrap.Set(1);
  TrapRun run{decide, CaptureTrapFacts(pointers), false};
  if (pointers->ExceptionRecord->ExceptionCode == static_cast<DWORD>(STATUS_STACK_OVERFLOW)) {
    RunOnRescueStack(DecideAndReport, &run);
  } else {
    DecideAndReport(&run);
  }
  insideTrap.Set(0);
  SetLastError(lastError);
}

void FileCrashReport(EXCEPTION_POINTERS* pointers) {
  CReporter* reporter = reporterInstance;
  if (reporter == nullptr) return;
  if (IsDebuggerPresent()) DebugBreak();
  reporter->ReportCrash(pointers);
}
