// The library's sixteen exports. Each obtains the reporter first and hands the work
// to it; the formatting exports format before they touch the reporter.
#include "quorvel.h"

#include <cwchar>

#include "common/text.h"
#include "reporter.h"
#include "traps/trap_bypass.h"

namespace {
constexpr size_t kUserAbortCapacity = 3072;
constexpr size_t kInstallFailCapacity = 1001;
constexpr size_t kOptionTextCapacity = 1024;
constexpr size_t kFolderCapacity = 260;

// The report texts are formatted before the reporter is touched, cut to the buffer.
HRESULT FormatAndFile(wchar_t* text, size_t capacity, const wchar_t* format, va_list args,
                      HRESULT (CReporter::*file)(const wchar_t*)) {
  FormatTextV(text, capacity, format, args);
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return (reporter->*file)(text);
}

bool IsUsable(const EXCEPTION_POINTERS* pointers) {
  return pointers != nullptr && pointers->ExceptionRecord != nullptr && pointers->ContextRecord != nullptr;
}
}  // namespace

extern "C" {

HRESULT __stdcall Quorvel_AddFile(const wchar_t* path, DWORD value1, DWORD value2) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->AddFile(path, value1, value2);
}

HRESULT __cdecl Quorvel_AddText(const wchar_t* format, ...) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  va_list args;
  va_start(args, format);
  HRESULT hr = reporter->AddText(format, args);
  va_end(args);
  return hr;
}

LONG __stdcall Quorvel_CommonExceptionFilter(EXCEPTION_POINTERS* pointers) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter != nullptr && IsUsable(pointers)) reporter->ReportCrash(pointers);
  return EXCEPTION_EXECUTE_HANDLER;
}

void __stdcall Quorvel_EndTrapBypass() {
  if (CReporter* reporter = GetOrCreateReporter()) EndTrapBypass(reporter);
}

HRESULT __stdcall Quorvel_Initialize(DWORD initFlag) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->Initialize(initFlag);
}

HRESULT __stdcall Quorvel_InitializeNoCrash(DWORD initFlag, const wchar_t* folder) {
  wchar_t folderCopy[kFolderCapacity];
  // A cut folder would name another folder: refuse it.
  if (folder == nullptr || !CopyText(folderCopy, kFolderCapacity, folder)) return E_INVALIDARG;
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->InitializeNoCrash(initFlag, folderCopy);
}

HRESULT __stdcall Quorvel_InitializeWithOptions(DWORD initFlag, DWORD optionValue, const wchar_t* optionText) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  OptionsBlock& options = reporter->optionsBlock;
  options.optionValue = static_cast<uint8_t>(optionValue & 0xFF);
  options.optionText[0] = L'\0';
  options.optionsGiven = 1;
  // The text only informs the launcher: a longer one is cut to 1023 characters.
  if (optionText != nullptr) CopyText(options.optionText, kOptionTextCapacity, optionText);
  return reporter->Initialize(initFlag);
}

HRESULT __cdecl Quorvel_InstallFail(const wchar_t* format, ...) {
  wchar_t text[kInstallFailCapacity];
  va_list args;
  va_start(args, format);
  HRESULT hr = FormatAndFile(text, kInstallFailCapacity, format, args, &CReporter::ReportInstallFail);
  va_end(args);
  return hr;
}

HRESULT __stdcall Quorvel_ManagedException(const wchar_t* text1, const wchar_t* text2, const wchar_t* text3,
                                           const wchar_t* text4) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->ReportManagedException(text1, text2, text3, text4);
}

HRESULT __stdcall Quorvel_RemoveFile(const wchar_t* path) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->RemoveFile(path);
}

void __stdcall Quorvel_Shutdown() {
  delete GetOrCreateReporter();
}

HRESULT __stdcall Quorvel_StartMonitoringProcess(DWORD processId) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->StartMonitoringProcess(processId);
}

void __stdcall Quorvel_StartTrapBypass() {
  if (CReporter* reporter = GetOrCreateReporter()) StartTrapBypass(reporter);
}

HRESULT __stdcall Quorvel_StopMonitoringProcess(DWORD processId) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  return reporter->StopMonitoringProcess(processId);
}

HRESULT __stdcall Quorvel_UnmanagedException(EXCEPTION_POINTERS* pointers) {
  CReporter* reporter = GetOrCreateReporter();
  if (reporter == nullptr) return E_OUTOFMEMORY;
  if (!IsUsable(pointers)) return E_INVALIDARG;
  return reporter->ReportCrash(pointers);
}

HRESULT __cdecl Quorvel_UserAbort(const wchar_t* format, ...) {
  wchar_t text[kUserAbortCapacity];
  va_list args;
  va_start(args, format);
  HRESULT hr = FormatAndFile(text, kUserAbortCapacity, format, args, &CReporter::ReportUserAbort);
  va_end(args);
  return hr;
}

}  // extern "C"
