#include "traps/rescue_stack.h"

#include "traps/thread_block.h"

namespace {

struct Rescue {
  void* fiber = nullptr;
  volatile LONG busy = 0;  // 1 while a thread runs on the fiber, or it is being released
  void (*work)(void*) = nullptr;
  void* argument = nullptr;
  void* returnTo = nullptr;  // the fiber that switched in
};
Rescue rescue;

// A fiber's routine must never return (that would end the thread): it serves one
// request per switch.
VOID CALLBACK ServeRequests(void*) {
  for (;;) {
    rescue.work(rescue.argument);
    SwitchToFiber(rescue.returnTo);
  }
}

void Claim() {
  while (InterlockedCompareExchange(&rescue.busy, 1, 0) != 0) Sleep(10);
}

void Release() { InterlockedExchange(&rescue.busy, 0); }

}  // namespace

void PrepareRescueStack() {
  Claim();
  if (rescue.fiber == nullptr) {
    rescue.fiber = CreateFiberEx(kRescueStackCommit, kRescueStackReserve, 0, ServeRequests, nullptr);
  }
  Release();
}

void ReleaseRescueStack() {
  if (InterlockedCompareExchange(&rescue.busy, 1, 0) != 0) return;
  if (rescue.fiber != nullptr) DeleteFiber(rescue.fiber);
  rescue.fiber = nullptr;
  Release();
}

void RunOnRescueStack(void (*work)(void*), void* argument) {
  Claim();
  const bool wasFiber = rescue.fiber != nullptr && IsThreadAFiber();
  void* current = rescue.fiber == nullptr ? nullptr : wasFiber ? CurrentThreadBlock()->FiberData : ConvertThreadToFiber(nullptr);
  if (current == nullptr) {
    Release();
    work(argument);
    return;
  }
  rescue.work = work;
  rescue.argument = argument;
  rescue.returnTo = current;
  SwitchToFiber(rescue.fiber);
  if (!wasFiber) ConvertFiberToThread();
  Release();
}
