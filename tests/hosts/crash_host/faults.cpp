#include "faults.h"

#include <windows.h>

// --- GCC-only (i686): faults with known register contents, the thread block ------
void WriteToLowAddress() {
  asm volatile(
      "movl %0, %%ebx\n\t"
      "movl %1, %%esi\n\t"
      "movl %2, %%edi\n\t"
      "movl %3, %%ecx\n\t"
      "movl %4, %%edx\n\t"
      "movl %5, %%eax\n\t"
      "movl %%ecx, (%%eax)\n\t"
      :
      : "i"(kMarkerEbx), "i"(kMarkerEsi), "i"(kMarkerEdi), "i"(kMarkerEcx), "i"(kMarkerEdx), "i"(kLowAddress)
      : "eax", "ebx", "ecx", "edx", "esi", "edi", "memory");
}

void DivideByZero() {
  asm volatile(
      "xorl %%ecx, %%ecx\n\t"
      "movl $1, %%eax\n\t"
      "cltd\n\t"
      "idivl %%ecx\n\t"
      :
      :
      : "eax", "ecx", "edx", "cc");
}

void IllegalInstruction() { asm volatile("ud2"); }

// One modest frame per level, entered through its return address: the way deep
// recursion overflows. (Inlined levels make one big frame whose first write lands
// deep inside the guard page, where Wine 8 has no room left to raise the exception
// at all and ends the thread silently.)
#define CRASH_HOST_NOINLINE __attribute__((noinline))

static NT_TIB* ThreadBlock() {
  NT_TIB* tib;
  asm volatile("movl %%fs:0x18, %0" : "=r"(tib));
  return tib;
}
// ----------------------------------------------------------------------------------

void JumpTo(unsigned long address) {
  using Code = void (*)();
  reinterpret_cast<Code>(address)();
}

namespace {
volatile int bottom = -1;  // never reached

// Each level keeps a buffer alive across the call, so nothing folds the recursion.
CRASH_HOST_NOINLINE int Descend(int level) {
  volatile char buffer[512];
  buffer[0] = static_cast<char>(level);
  if (level == bottom) return 0;
  return Descend(level + 1) + buffer[0];
}

volatile DWORD dismissedCode = 0;

EXCEPTION_DISPOSITION __cdecl HostPassesOn(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
  return ExceptionContinueSearch;
}

// Runs work with a frame handler of the host's own registered, as code under a
// __try does.
template <typename Work>
void UnderOwnHandler(PEXCEPTION_ROUTINE handler, Work work) {
  NT_TIB* tib = ThreadBlock();
  EXCEPTION_REGISTRATION_RECORD record;
  record.Handler = handler;
  record.Next = tib->ExceptionList;
  tib->ExceptionList = &record;
  work();
  tib->ExceptionList = record.Next;
}

EXCEPTION_DISPOSITION __cdecl HostDismisses(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) == 0 &&
      record->ExceptionCode == dismissedCode) {
    return ExceptionContinueExecution;
  }
  return ExceptionContinueSearch;
}
}  // namespace

void OverflowStack() { Descend(0); }

// GCC has no __try: the host registers its frame handlers by hand, as such code does.
void RaiseHandled(unsigned long code) {
  dismissedCode = code;
  UnderOwnHandler(reinterpret_cast<PEXCEPTION_ROUTINE>(&HostDismisses), [code] { RaiseException(code, 0, 0, nullptr); });
}

void DebugOutputUnderOwnHandler(const wchar_t* text) {
  UnderOwnHandler(reinterpret_cast<PEXCEPTION_ROUTINE>(&HostPassesOn), [text] { OutputDebugStringW(text); });
}
