// What the monitor thread does when a watched process ends, another process asks
// for a deadlock report, or the parent has gone. Each takes reporterLock through
// EnterReporterLockOnMonitor, so a report in progress on another thread wins.
#include <windows.h>
#include <psapi.h>

#include "common/debug_output.h"
#include "monitor/monitor_lock.h"
#include "report/device_path.h"
#include "reporter.h"

void CReporter::OnWatchedProcessEnded(int slot) {
  if (!EnterReporterLockOnMonitor(*this)) return;
  if (reportView == nullptr || slot < 0 || slot >= watchedCount) {
    LeaveCriticalSection(&reporterLock);
    return;
  }
  HANDLE process = waitHandles[kSlotFirstWatched + slot];
  ProcessEndedRecord& ended = reportView->ended;
  reportView->reportKind = ReportKindProcessEnded;
  ended.endedProcessId = reportView->watchedProcessIds[slot];
  ended.endedImagePath[0] = L'\0';
  if (GetProcessImageFileNameW(process, ended.endedImagePath, 260) == 0) ended.endedImagePath[0] = L'\0';
  // A path on a device without a drive letter stays in device form.
  DevicePathToDosPath(ended.endedImagePath, 260);
  DWORD exitCode = 0;
  ended.endedExitCode = GetExitCodeProcess(process, &exitCode) ? exitCode : 0;
  DebugPrintf(L"Quorvel: watched process %lu ended with %lu\n", ended.endedProcessId, ended.endedExitCode);
  RemoveWatchedProcess(slot);
  // Never through the launcher: the monitor thread runs the client and ends the
  // process, the lock still held.
  RunClient();
}

void CReporter::OnDeadlockRequest() {
  if (!EnterReporterLockOnMonitor(*this)) return;
  if (reportView == nullptr) {
    LeaveCriticalSection(&reporterLock);
    return;
  }
  reportView->reportKind = ReportKindDeadlock;
  ResetEvent(deadlockEvent);
  RunClient();
}

void CReporter::OnParentGone() {
  if (!EnterReporterLockOnMonitor(*this)) return;
  EndReporting();
}
