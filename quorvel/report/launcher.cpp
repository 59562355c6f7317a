// Registering with the launcher at initialization, and the pipe exchange behind it.
#include <cstring>

#include "common/debug_output.h"
#include "common/hresult.h"
#include "common/text.h"
#include "common/unique_handle.h"
#include "config/config.h"
#include "report/companion_file.h"
#include "report/hand_off.h"
#include "report/launcher_pipe.h"
#include "report/start_program.h"
#include "reporter.h"

bool IsLauncherRunning() {
  UniqueHandle launcher(OpenEventW(SYNCHRONIZE, FALSE, kLauncherEventName));
  return launcher.valid();
}

HRESULT CReporter::ConnectLauncher() {
  if (!runtimeConfig.useUILauncher) return S_FALSE;
  if (launchUiEvent == nullptr) {
    wchar_t name[64];
    FormatText(name, 64, L"LaunchUI%lu.qvrp", GetCurrentProcessId());
    launchUiEvent = CreateEventW(nullptr, TRUE, FALSE, name);
    if (launchUiEvent == nullptr) return FailureFromLastError();
  }
  if (!IsLauncherRunning()) {
    // A missing program shows up as the start's failure.
    wchar_t launcherPath[260];
    FindCompanionFile(launcherPath, 260, L"QuorvelLauncher.exe");
    HRESULT hr = StartProgram(launcherPath, L"", false, nullptr, nullptr);
    if (FAILED(hr)) {
      DebugPrintf(L"Quorvel: the launcher %s could not be started: 0x%08lX\n", launcherPath, hr);
      return hr;
    }
  }
  return SendLaunchRequest();
}

// The registration, on one connection; every reply is an i32 status:
//   -> u32 process id                      <- status (negative: refused)
//   only when options were given at initialization:
//   -> u8 1, u32 2050 (options follow)     <- status
//   -> the 2050-byte options block         <- status
//   -> u8 0xFF, u32 0 (end)                <- status: this one decides
// Then the library closes its end; later it speaks to the launcher only through
// the event "LaunchUI<pid>.qvrp".
HRESULT CReporter::SendLaunchRequest() {
  HANDLE rawPipe = INVALID_HANDLE_VALUE;
  HRESULT hr = ConnectLauncherPipe(&rawPipe);
  if (FAILED(hr)) {
    DebugPrintf(L"Quorvel: no connection to the launcher: 0x%08lX\n", hr);
    return hr;
  }
  UniqueFileHandle pipe(rawPipe);

  DWORD processId = GetCurrentProcessId();
  LONG status = E_FAIL;
  HRESULT result = WritePipeBlock(pipe.get(), &processId, sizeof(processId), &status);
  if (FAILED(result) || optionsBlock.optionsGiven == 0) return result;

  OptionsBlock block;
  DWORD size = sizeof(block);
  if (GetOptionsBlock(&block, &size) != S_OK) return S_FALSE;
  const PipeBlockHeader optionsHeader = {kPipeBlockOptions, sizeof(block)};
  const PipeBlockHeader endHeader = {kPipeBlockEnd, 0};
  // A negative answer on the way does not end the exchange: the end message decides.
  result = WritePipeBlock(pipe.get(), &optionsHeader, sizeof(optionsHeader), &status);
  if (SUCCEEDED(result)) result = WritePipeBlock(pipe.get(), &block, sizeof(block), &status);
  if (SUCCEEDED(result)) result = WritePipeBlock(pipe.get(), &endHeader, sizeof(endHeader), &status);
  return FAILED(result) ? S_FALSE : result;
}

HRESULT CReporter::GetOptionsBlock(void* buffer, DWORD* sizeInOut) {
  if (sizeInOut == nullptr) return E_INVALIDARG;
  if (optionsBlock.optionsGiven == 0) {
    *sizeInOut = 0;
    return S_FALSE;
  }
  const DWORD needed = sizeof(optionsBlock);
  if (buffer == nullptr) {
    *sizeInOut = needed;
    return S_OK;
  }
  if (*sizeInOut < needed) {
    *sizeInOut = needed;
    return E_FAIL;
  }
  memcpy(buffer, &optionsBlock, needed);
  *sizeInOut = needed;
  return S_OK;
}
