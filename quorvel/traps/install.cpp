// Installing and removing the traps: the last step of the full initialization, and
// the first step of every way the report file is closed.
#include "config/config.h"
#include "reporter.h"
#include "traps/frontstop_registration.h"
#include "traps/rescue_stack.h"
#include "traps/trap_gate.h"
#include "traps/traps.h"

namespace {
// Whether UnhandledFilter was put in place and not yet taken out.
bool filterInstalled = false;
}  // namespace

void CReporter::InstallTraps() {
  PrepareRescueStack();
  OpenTrapGate();
  if (runtimeConfig.backstopTrapper && addContinueHandler != nullptr) {
    backstopHandle = addContinueHandler(1, BackstopHandler);
  }
  if (runtimeConfig.frontstopTrapper) RegisterFrontstop(this);
  if (runtimeConfig.unhandledTrapper) {
    previousFilter = SetUnhandledExceptionFilter(UnhandledFilter);
    filterInstalled = true;
  }
  trapsInstalled = true;
}

// What was registered is taken out by its handle, not by the settings, which a
// second initialization may have read anew since.
void CReporter::RemoveTraps() {
  if (!trapsInstalled) return;
  if (backstopHandle != nullptr && removeContinueHandler != nullptr) removeContinueHandler(backstopHandle);
  backstopHandle = nullptr;
  UnregisterFrontstop(this);
  if (filterInstalled) {
    // A component that installed its own filter after ours keeps it.
    LPTOP_LEVEL_EXCEPTION_FILTER replaced = SetUnhandledExceptionFilter(previousFilter);
    if (replaced != UnhandledFilter) SetUnhandledExceptionFilter(replaced);
    filterInstalled = false;
  }
  CloseTrapGate();
  ReleaseRescueStack();
}
