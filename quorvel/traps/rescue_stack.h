#pragma once
#include <windows.h>

// A stack held in reserve for a thread that has overflowed its own. After a stack
// overflow the faulting thread has a few kilobytes left (about 2.5 KB under Wine 8),
// too little to decide and file a report. The work then runs on a fiber prepared in
// advance, on the faulting thread itself: it keeps the thread's id for the report
// and the locks the thread holds (a fault inside Quorvel_AddText still files its
// report without waiting for itself), where a helper thread would have neither.
constexpr SIZE_T kRescueStackCommit = 64 * 1024;
constexpr SIZE_T kRescueStackReserve = 256 * 1024;

// Called when the traps are installed and removed. Releasing skips a stack that a
// thread is running on: that thread is filing a report, which ends the process.
void PrepareRescueStack();
void ReleaseRescueStack();

// Runs work(argument) on the reserve stack, on the calling thread, and returns when
// it has. One thread at a time: another overflowed thread waits its turn. Without a
// reserve stack (none prepared, or the thread cannot become a fiber) it runs in place.
void RunOnRescueStack(void (*work)(void*), void* argument);
