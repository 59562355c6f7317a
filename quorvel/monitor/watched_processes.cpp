// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT CReporter::StartMonitoringProcess(DWORD) { return reportView ? E_NOTIMPL : kResultBlank; }
HRESULT CReporter::StopMonitoringProcess(DWORD) { return reportView ? E_NOTIMPL : kResultBlank; }
void CReporter::RemoveWatchedProcess(int) {}
void CReporter::OnWatchedProcessEnded(int) {}
