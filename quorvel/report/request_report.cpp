// Handing a written report over: to the launcher when it runs and is in use, else to
// the user-interface program, which the monitor thread (or a client runner) starts.
#include "common/unique_handle.h"
#include "config/config.h"
#include "report/hand_off.h"
#include "reporter.h"

namespace {

HANDLE LiveMonitorThread(const CReporter& reporter) {
  HANDLE thread = reporter.monitorThread;
  if (thread == nullptr || WaitForSingleObject(thread, 0) != WAIT_TIMEOUT) return nullptr;
  return thread;
}

// Waits until the hand-off is done, with the thread that serves it: if the monitor
// thread is not running, or ends without having served the request, a client
// runner takes over; should even that fail, this thread runs the client itself.
void WaitForHandOff(CReporter& reporter) {
  HANDLE server = LiveMonitorThread(reporter);
  UniqueHandle runner;
  for (int round = 0;; ++round) {
    if (server == nullptr) {
      if (round >= 2) reporter.RunClient();
      runner.reset(StartClientRunner(reporter));
      server = runner.get();
      if (server == nullptr) reporter.RunClient();
    }
    HANDLE waits[2] = {reporter.clientDoneEvent, server};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) return;
    server = nullptr;
  }
}

}  // namespace

HRESULT CReporter::RequestReport() {
  ResetEvent(clientDoneEvent);
  if (runtimeConfig.useUILauncher && launchUiEvent != nullptr && IsLauncherRunning()) {
    SetEvent(launchUiEvent);
    // The launcher's client reads the live mapping: the process stays until the
    // launcher has let its event go.
    do {
      Sleep(kLauncherPollMs);
    } while (IsLauncherRunning());
    SetEvent(clientDoneEvent);
    EndReporting();
  }
  // On the monitor thread, signalling runClientEvent would wait for itself.
  if (IsMonitorThread()) return RunClient();
  SetEvent(waitHandles[kSlotRunClient]);
  WaitForHandOff(*this);
  return S_OK;
}
