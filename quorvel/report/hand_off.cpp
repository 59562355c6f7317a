#include "report/hand_off.h"

#include "reporter.h"

namespace {
// Process-wide like the reporter itself: at most one hand-off ever runs.
volatile LONG handOffThreadId = 0;
volatile LONG monitorThreadId = 0;

DWORD WINAPI ClientRunnerProc(void* reporter) {
  static_cast<CReporter*>(reporter)->RunClient();
  return 0;
}
}  // namespace

bool IsMonitorThread() { return static_cast<DWORD>(monitorThreadId) == GetCurrentThreadId(); }

void MarkMonitorThread(bool running) {
  const LONG self = static_cast<LONG>(GetCurrentThreadId());
  if (running) {
    InterlockedExchange(&monitorThreadId, self);
  } else {
    InterlockedCompareExchange(&monitorThreadId, 0, self);
  }
}

bool IsHandOffThread() { return static_cast<DWORD>(handOffThreadId) == GetCurrentThreadId(); }

void MarkHandOffThread() { InterlockedExchange(&handOffThreadId, static_cast<LONG>(GetCurrentThreadId())); }

HANDLE StartClientRunner(CReporter& reporter) {
  return CreateThread(nullptr, kClientRunnerStackSize, ClientRunnerProc, &reporter, 0, nullptr);
}
