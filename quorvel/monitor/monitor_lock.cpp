#include "monitor/monitor_lock.h"

#include "reporter.h"

namespace {
constexpr DWORD kLockPollMs = 20;
}

bool EnterReporterLockOnMonitor(CReporter& reporter) {
  HANDLE waits[2] = {reporter.waitHandles[kSlotMonitorStop], reporter.waitHandles[kSlotRunClient]};
  while (!TryEnterCriticalSection(&reporter.reporterLock)) {
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, kLockPollMs);
    if (woken == WAIT_OBJECT_0) return false;
    if (woken == WAIT_OBJECT_0 + 1) reporter.RunClient();
  }
  return true;
}
