// The initialization sequences: which steps run, in which order, and what their
// results do. A step that fails leaves what the earlier steps built in place.
#include <cwchar>

#include "common/hresult.h"
#include "common/text.h"
#include "config/config.h"
#include "report/companion_file.h"
#include "reporter.h"

namespace {

bool IsLimitedMode(DWORD initFlag) { return (initFlag & 0xFF) != 0; }

// Outside limited mode the process asks to be shut down a little before its peers
// at the same level, and not to be retried.
void LowerShutdownLevel() {
  DWORD level = 0;
  DWORD flags = 0;
  if (GetProcessShutdownParameters(&level, &flags) && level > 0x100) {
    SetProcessShutdownParameters(level - 1, SHUTDOWN_NORETRY);
  }
}

}  // namespace

HRESULT CReporter::Initialize(DWORD initFlag) {
  HRESULT hr = runtimeConfig.Load();
  if (hr != S_OK) return hr;
  if (!runtimeConfig.enabled) return S_FALSE;

  if (IsLimitedMode(initFlag)) {
    runtimeConfig.stackOverflowOnly = true;
  } else {
    LowerShutdownLevel();
  }

  hr = FindCompanionFile(clientExePath, 260, runtimeConfig.userinterfaceExe);
  if (FAILED(hr)) return hr;
  hr = CreateReportFile(initFlag);
  if (FAILED(hr)) return hr;
  hr = CreateDeadlockEvent(initFlag);
  if (FAILED(hr)) return hr;
  hr = WatchParentProcess(initFlag);
  if (FAILED(hr)) return hr;
  hr = StartMonitorThread();
  if (FAILED(hr)) return hr;
  LoadSystemModuleRanges();
  InstallTraps();
  return S_OK;
}

HRESULT CReporter::InitializeNoCrash(DWORD initFlag, const wchar_t* folder) {
  HRESULT hr = runtimeConfig.LoadFrom(folder);
  if (hr != S_OK) return hr;
  if (!runtimeConfig.enabled) return S_FALSE;
  if (IsLimitedMode(initFlag)) runtimeConfig.stackOverflowOnly = true;

  // A cut path would name another program: refuse what does not fit.
  if (FormatText(clientExePath, 260, L"%s\\%s", folder, runtimeConfig.userinterfaceExe) < 0) {
    clientExePath[0] = L'\0';
    return E_INVALIDARG;
  }
  if (!PathExists(clientExePath)) return HResultFromLastError();

  hr = CreateReportFile(initFlag);
  if (FAILED(hr)) return hr;
  return StartMonitorThread();
}
