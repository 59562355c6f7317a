#include "common/debug_output.h"
#include "report/hand_off.h"
#include "report/start_program.h"
#include "reporter.h"

HRESULT CReporter::RunClient() {
  MarkHandOffThread();
  ResetEvent(waitHandles[kSlotRunClient]);
  ResetEvent(clientDoneEvent);
  HRESULT hr = StartProgram(clientExePath, reportName, true, nullptr, nullptr);
  if (FAILED(hr)) {
    // Nothing may keep the process from ending: the report stays on disk for a
    // later look.
    DebugPrintf(L"Quorvel: the user-interface program \"%s\" could not be started: 0x%08lX; report kept in %s\n",
                clientExePath, hr, reportPath);
  }
  EndReporting();
}
