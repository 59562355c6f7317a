// The monitor thread: one per initialized process. It waits on waitHandles (stop,
// parent, run-client request, deadlock request, watched processes) and runs the
// user-interface program for reports filed on other threads.
#include "common/debug_output.h"
#include "common/hresult.h"
#include "common/text.h"
#include "report/hand_off.h"
#include "report/start_program.h"
#include "reporter.h"

namespace {
constexpr DWORD kMonitorStackSize = 0x20000;
constexpr DWORD kQuietStretchMs = 10000;

bool IsLimitedMode(DWORD initFlag) { return (initFlag & 0xFF) != 0; }

// The parent slot goes back to its placeholder once the parent has ended, so a
// restarted thread still knows the parent is gone.
bool ParentHasEnded(const CReporter& reporter) {
  return reporter.parentProcess != nullptr && reporter.waitHandles[kSlotParent] == reporter.parentPlaceholderEvent;
}
}  // namespace

HRESULT CReporter::CreateDeadlockEvent(DWORD initFlag) {
  if (!IsLimitedMode(initFlag)) return S_OK;
  wchar_t name[64];
  DWORD processId = reportView != nullptr ? reportView->processId : GetCurrentProcessId();
  FormatText(name, 64, L"Deadlock%lu.qvrp", processId);
  deadlockEvent = CreateEventW(nullptr, TRUE, FALSE, name);
  if (deadlockEvent == nullptr) return FailureFromLastError();
  waitHandles[kSlotDeadlock] = deadlockEvent;
  return S_OK;
}

HRESULT CReporter::WatchParentProcess(DWORD initFlag) {
  if (IsLimitedMode(initFlag)) return S_OK;
  DWORD parentId = reportView != nullptr ? reportView->parentProcessId : 0;
  parentProcess = OpenProcess(SYNCHRONIZE, FALSE, parentId);
  if (parentProcess == nullptr) return FailureFromLastError();
  waitHandles[kSlotParent] = parentProcess;
  return S_OK;
}

HRESULT CReporter::StartMonitorThread() {
  ResetEvent(waitHandles[kSlotMonitorStop]);
  ResetEvent(waitHandles[kSlotRunClient]);
  monitorThread = CreateThread(nullptr, kMonitorStackSize, MonitorThreadProc, this, 0, nullptr);
  if (monitorThread == nullptr) return FailureFromLastError();
  return S_OK;
}

void CReporter::StopMonitorThread() {
  if (monitorThread == nullptr) return;
  SetEvent(waitHandles[kSlotMonitorStop]);
  WaitForSingleObject(monitorThread, INFINITE);
  CloseHandle(monitorThread);
  monitorThread = nullptr;
}

DWORD WINAPI CReporter::MonitorThreadProc(void* argument) {
  CReporter& reporter = *static_cast<CReporter*>(argument);
  MarkMonitorThread(true);
  struct Unmark {
    ~Unmark() { MarkMonitorThread(false); }
  } unmark;
  DebugPrintf(L"Quorvel: monitor thread %lu watches %d processes\n", GetCurrentThreadId(),
              static_cast<int>(reporter.watchedCount));
  bool parentGone = ParentHasEnded(reporter);
  for (;;) {
    int watched = reporter.watchedCount;
    if (watched < 0) watched = 0;
    if (watched > kMaxWatchedProcesses) watched = kMaxWatchedProcesses;
    DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(kSlotFirstWatched + watched), reporter.waitHandles,
                                         FALSE, kQuietStretchMs);
    if (woken == WAIT_FAILED) {
      DebugPrintf(L"Quorvel: monitor thread wait failed: %lu\n", GetLastError());
      return 0;
    }
    if (woken == WAIT_TIMEOUT) {
      if (parentGone) reporter.OnParentGone();
      continue;
    }
    if (woken >= WAIT_OBJECT_0 + kWaitSlotCount) continue;
    const int slot = static_cast<int>(woken - WAIT_OBJECT_0);
    switch (slot) {
      case kSlotMonitorStop:
        return 0;
      case kSlotParent:
        reporter.waitHandles[kSlotParent] = reporter.parentPlaceholderEvent;
        parentGone = true;
        break;
      case kSlotRunClient:
        reporter.RunClient();
        break;
      case kSlotDeadlock:
        reporter.OnDeadlockRequest();
        break;
      default:
        reporter.OnWatchedProcessEnded(slot - kSlotFirstWatched);
        break;
    }
  }
}
