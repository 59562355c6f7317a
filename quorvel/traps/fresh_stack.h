#pragma once
#include <windows.h>

// Stack reserved for work handed over by a thread that has overflowed its own. The
// report path needs well under this; peers budget 24 to 32 KiB for a handler.
constexpr SIZE_T kFreshStackSize = 256 * 1024;

// Runs proc(argument) on a new thread and waits for it to end. When no thread can be
// started it calls proc in place: the overflowed thread then gets what it had left.
void RunOnFreshStack(LPTHREAD_START_ROUTINE proc, void* argument);
