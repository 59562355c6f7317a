// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT CReporter::ConnectLauncher() { return S_FALSE; }
HRESULT CReporter::SendLaunchRequest() { return S_FALSE; }
HRESULT CReporter::GetOptionsBlock(void*, DWORD*) { return E_NOTIMPL; }
HRESULT CReporter::RequestReport() { return E_NOTIMPL; }
HRESULT CReporter::RunClient() { return E_NOTIMPL; }
