#pragma once
#include <windows.h>

// The library's own frame-based exception handler routine. GCC on i686 has no
// __try, so code of this library that makes a risky access runs it through
// GuardedCall, which registers this routine in a record on the calling thread's
// handler chain for the duration of the call. The frontstop recognises it as the
// innermost handler of a thread.
extern "C" EXCEPTION_DISPOSITION __cdecl QuorvelGuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                             CONTEXT* context, void* dispatcherContext);

// Runs work(argument) with the guard registered. Returns true when work returned,
// false when an exception raised inside it was stopped by the guard; the frames of
// work are then abandoned without running C++ destructors, so work must own nothing
// that needs one. Allocates nothing.
bool GuardedCall(void (*work)(void*), void* argument);
