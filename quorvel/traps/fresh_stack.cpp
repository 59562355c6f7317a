#include "traps/fresh_stack.h"

void RunOnFreshStack(LPTHREAD_START_ROUTINE proc, void* argument) {
  HANDLE thread = CreateThread(nullptr, kFreshStackSize, proc, argument, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) {
    proc(argument);
    return;
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}
