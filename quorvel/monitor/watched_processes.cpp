// The list of watched processes: ids in the report file, handles in wait slots 4
// to 13, in registration order. Every change stops the monitor thread and starts
// a new one, since a wait's handle count is fixed while it waits.
#include "common/hresult.h"
#include "report/hand_off.h"
#include "report/start_program.h"
#include "reporter.h"

namespace {
constexpr DWORD kWatchAccess = SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE;
}  // namespace

HRESULT CReporter::StartMonitoringProcess(DWORD processId) {
  // The monitor thread cannot stop and restart itself.
  if (IsMonitorThread()) return HResultFromWin32(ERROR_POSSIBLE_DEADLOCK);
  EnterCriticalSection(&reporterLock);
  HRESULT hr = S_OK;
  if (reportView == nullptr) {
    hr = kResultBlank;
  } else if (watchedCount >= kMaxWatchedProcesses) {
    hr = HResultFromWin32(ERROR_BUFFER_OVERFLOW);
  } else if (HANDLE process = OpenProcess(kWatchAccess, FALSE, processId)) {
    StopMonitorThread();
    reportView->watchedProcessIds[watchedCount] = processId;
    waitHandles[kSlotFirstWatched + watchedCount] = process;
    ++watchedCount;
    hr = StartMonitorThread();
  } else {
    hr = FailureFromLastError();
  }
  LeaveCriticalSection(&reporterLock);
  return hr;
}

HRESULT CReporter::StopMonitoringProcess(DWORD processId) {
  if (IsMonitorThread()) return HResultFromWin32(ERROR_POSSIBLE_DEADLOCK);
  EnterCriticalSection(&reporterLock);
  HRESULT hr = E_INVALIDARG;
  if (reportView == nullptr) {
    hr = kResultBlank;
  } else {
    for (int slot = 0; slot < watchedCount; ++slot) {
      if (reportView->watchedProcessIds[slot] != processId) continue;
      StopMonitorThread();
      RemoveWatchedProcess(slot);
      hr = StartMonitorThread();
      break;
    }
  }
  LeaveCriticalSection(&reporterLock);
  return hr;
}

void CReporter::RemoveWatchedProcess(int slot) {
  if (slot < 0 || slot >= watchedCount) return;
  HANDLE* handles = waitHandles + kSlotFirstWatched;
  if (handles[slot] != nullptr) CloseHandle(handles[slot]);
  for (int i = slot; i + 1 < kMaxWatchedProcesses; ++i) {
    handles[i] = handles[i + 1];
    if (reportView != nullptr) reportView->watchedProcessIds[i] = reportView->watchedProcessIds[i + 1];
  }
  handles[kMaxWatchedProcesses - 1] = nullptr;
  if (reportView != nullptr) reportView->watchedProcessIds[kMaxWatchedProcesses - 1] = 0;
  --watchedCount;
}
