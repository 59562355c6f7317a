#include "traps/trap_gate.h"

namespace {
volatile LONG gateOpen = 0;
volatile LONG trapsInside = 0;
}  // namespace

void OpenTrapGate() { InterlockedExchange(&gateOpen, 1); }

void CloseTrapGate() {
  InterlockedExchange(&gateOpen, 0);
  const DWORD start = GetTickCount();
  while (InterlockedCompareExchange(&trapsInside, 0, 0) != 0) {
    if (GetTickCount() - start >= kTrapGateWaitMs) return;
    Sleep(1);
  }
}

bool EnterTrapGate() {
  InterlockedIncrement(&trapsInside);
  // Both sides use full barriers: either the closer sees this entry and waits, or
  // this trap sees the gate closed and turns back.
  if (InterlockedCompareExchange(&gateOpen, 0, 0) != 0) return true;
  InterlockedDecrement(&trapsInside);
  return false;
}

void LeaveTrapGate() { InterlockedDecrement(&trapsInside); }
