#include "report/hand_off.h"

#include "reporter.h"

namespace {
// Process-wide like the reporter itself: at most one hand-off ever runs.
volatile LONG handOffThreadId = 0;

DWORD WINAPI ClientRunnerProc(void* reporter) {
  static_cast<CReporter*>(reporter)->RunClient();
  return 0;
}
}  // namespace

bool IsMonitorThread(const CReporter& reporter) {
  return reporter.monitorThread != nullptr && GetThreadId(reporter.monitorThread) == GetCurrentThreadId();
}

bool IsHandOffThread() { return static_cast<DWORD>(handOffThreadId) == GetCurrentThreadId(); }

void MarkHandOffThread() { InterlockedExchange(&handOffThreadId, static_cast<LONG>(GetCurrentThreadId())); }

HANDLE StartClientRunner(CReporter& reporter) {
  return CreateThread(nullptr, kClientRunnerStackSize, ClientRunnerProc, &reporter, 0, nullptr);
}
