#pragma once
#include <windows.h>

// Keeps the reporter's state alive under the traps. A trap enters the gate before it
// reads the reporter, its view or the rules, and leaves it before it files a report
// (filing may block until the process ends). Removing the traps closes the gate and
// waits for those inside, so the view that the removal's caller unmaps next, and the
// reporter it may delete, are no longer read by any trap.
void OpenTrapGate();
// Waits at most kTrapGateWaitMs: a thread suspended inside a trap must not hang the
// shutdown; what it reads after that is still read under the guard.
void CloseTrapGate();
constexpr DWORD kTrapGateWaitMs = 2000;

// False when the gate is closed; the caller then stays out and must not leave.
bool EnterTrapGate();
void LeaveTrapGate();
