#include "traps/seh_guard.h"

#include "traps/thread_block.h"

namespace {

// Lives on the stack of GuardedCall; the handler chain points at its first member.
struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD record;
  void* resume[5];  // where GuardedCall picks up after a stopped exception
};

// --- GCC-only: resuming GuardedCall --------------------------------------------
// __builtin_setjmp/__builtin_longjmp restore the frame and stack pointer of
// GuardedCall without any runtime library involvement. Another compiler would use
// its own __try/__except here instead of this file.
#define QUORVEL_GUARD_SAVE(buffer) __builtin_setjmp(buffer)
#define QUORVEL_GUARD_RESUME(buffer) __builtin_longjmp(buffer, 1)
// The resume point must stay in a frame of its own.
#define QUORVEL_GUARD_NOINLINE __attribute__((noinline))
// --------------------------------------------------------------------------------

}  // namespace

extern "C" EXCEPTION_DISPOSITION __cdecl QuorvelGuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                             CONTEXT*, void*) {
  // Called again while an outer frame unwinds through ours: nothing to clean up.
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) return ExceptionContinueSearch;
  GuardFrame* frame = static_cast<GuardFrame*>(establisherFrame);
  // Lets every inner frame (the dispatcher's own among them) clean up and leaves
  // ours as the head of the chain; GuardedCall then removes it.
  RtlUnwind(establisherFrame, nullptr, record, nullptr);
  QUORVEL_GUARD_RESUME(frame->resume);
}

QUORVEL_GUARD_NOINLINE bool GuardedCall(void (*work)(void*), void* argument) {
  GuardFrame frame;
  frame.record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&QuorvelGuardHandler);
  NT_TIB* tib = CurrentThreadBlock();
  frame.record.Next = tib->ExceptionList;
  if (QUORVEL_GUARD_SAVE(frame.resume) != 0) {
    CurrentThreadBlock()->ExceptionList = frame.record.Next;
    return false;
  }
  tib->ExceptionList = &frame.record;
  work(argument);
  tib->ExceptionList = frame.record.Next;
  return true;
}
