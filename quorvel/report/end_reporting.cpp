#include "report/hand_off.h"
#include "reporter.h"

void CReporter::EndReporting() {
  // A monitor thread still waiting on the handles closed below is stopped first;
  // it answers its stop event at once, even while it waits for reporterLock.
  if (monitorThread != nullptr && !IsMonitorThread()) {
    SetEvent(waitHandles[kSlotMonitorStop]);
    WaitForSingleObject(monitorThread, 1000);
  }
  for (int slot = watchedCount - 1; slot >= 0; --slot) {
    HANDLE process = waitHandles[kSlotFirstWatched + slot];
    if (process == nullptr) continue;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 1000);
    CloseHandle(process);
    waitHandles[kSlotFirstWatched + slot] = nullptr;
  }
  // The file keeps the ids: it still names the processes that were watched.
  watchedCount = 0;
  // Traps removed, view and file closed; the file stays for the user-interface program.
  CloseReportFile(false);

  TerminateProcess(GetCurrentProcess(), 0);
  WaitForSingleObject(GetCurrentProcess(), 1000);
  ExitProcess(0);
}
