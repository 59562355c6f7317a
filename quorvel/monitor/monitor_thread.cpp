// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT CReporter::CreateDeadlockEvent(DWORD) { return S_OK; }
HRESULT CReporter::WatchParentProcess(DWORD) { return S_OK; }
HRESULT CReporter::StartMonitorThread() { return S_OK; }
void CReporter::StopMonitorThread() { monitorThread = nullptr; }
DWORD WINAPI CReporter::MonitorThreadProc(void*) { return 0; }
void CReporter::OnDeadlockRequest() {}
void CReporter::OnParentGone() {}
