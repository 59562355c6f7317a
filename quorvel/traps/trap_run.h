#pragma once
#include <windows.h>

#include "traps/traps.h"

using TrapDecision = bool (*)(const TrapFacts& facts);

// Runs one trap on the faulting thread: takes the thread's facts, decides inside the
// trap gate and under the guard, and files the report when the decision says so.
//  - A thread that faults again inside a trap is not trapped a second time: its
//    fault goes on to the frames (the guard, or the system's default end).
//  - After a stack overflow the decision and the report run on the reserve stack
//    (rescue_stack.h), still on the faulting thread.
//  - The decision allocates no heap memory; the thread's last-error value is kept.
void RunTrap(TrapDecision decide, EXCEPTION_POINTERS* pointers);

// Files the crash report (a debugger attached stops first). Does not return when the
// report is filed.
void FileCrashReport(EXCEPTION_POINTERS* pointers);
