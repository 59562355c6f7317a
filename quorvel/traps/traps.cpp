// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

#include "traps/trap_bypass.h"
void CReporter::InstallTraps() {}
void CReporter::RemoveTraps() {}
void StartTrapBypass(CReporter*) {}
void EndTrapBypass(CReporter*) {}
