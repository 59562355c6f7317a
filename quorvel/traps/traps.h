#pragma once
// The three traps. Who runs what:
//  - FrontstopHandler: a vectored exception handler, first in the list; runs on the
//    faulting thread for every first-chance exception of the process.
//  - BackstopHandler: a vectored continue handler; runs on the thread whose exception
//    was dismissed, before execution continues.
//  - UnhandledFilter: the top-level filter; runs on the faulting thread when no
//    handler took the exception.
// Each decides from the rules, the thread's bypass counter and (the frontstop) the
// thread's handler chain whether to file a crash report, which ends the process.
// None of them handles or dismisses an exception: all return EXCEPTION_CONTINUE_SEARCH.
#include <windows.h>

#include <cstdint>

LONG CALLBACK FrontstopHandler(EXCEPTION_POINTERS* pointers);
LONG CALLBACK BackstopHandler(EXCEPTION_POINTERS* pointers);
LONG CALLBACK UnhandledFilter(EXCEPTION_POINTERS* pointers);

// What a trap knows of the faulting thread, read on it before deciding: after a
// stack overflow the decision runs on the reserve stack, where the thread's
// information block describes that stack and its own chain instead.
struct TrapFacts {
  EXCEPTION_POINTERS* pointers;
  int32_t bypassDepth;
  EXCEPTION_REGISTRATION_RECORD* chainHead;
  const void* stackLow;   // the committed part of the thread's stack, where its
  const void* stackHigh;  // registration records usually lie
};
TrapFacts CaptureTrapFacts(EXCEPTION_POINTERS* pointers);

// The decisions, apart from the machinery around them (trap_run.h).
bool FrontstopIgnoresCode(DWORD code);
bool FrontstopDecides(const TrapFacts& facts);
bool BackstopDecides(const TrapFacts& facts);
bool UnhandledFilterDecides(const TrapFacts& facts);
