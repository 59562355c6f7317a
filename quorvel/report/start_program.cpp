#include "report/start_program.h"

#include <cwchar>
#include <new>

#include "common/hresult.h"
#include "common/text.h"
#include "common/unique_handle.h"

HRESULT FailureFromLastError() {
  DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HResultFromWin32(static_cast<LONG>(error));
}

HRESULT StartProgram(const wchar_t* programPath, const wchar_t* arguments, bool wait, DWORD* processIdOut,
                     HANDLE* processHandleOut) {
  if (programPath == nullptr) return E_INVALIDARG;
  if (arguments == nullptr) arguments = L"";
  // Two quotes, the blank and the null.
  const size_t capacity = wcslen(programPath) + wcslen(arguments) + 4;
  wchar_t* commandLine = new (std::nothrow) wchar_t[capacity];
  if (commandLine == nullptr) return E_OUTOFMEMORY;
  FormatText(commandLine, capacity, L"\"%s\" %s", programPath, arguments);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  BOOL created = CreateProcessW(programPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  HRESULT failure = created ? S_OK : FailureFromLastError();
  delete[] commandLine;
  if (!created) return failure;

  UniqueHandle thread(info.hThread);
  UniqueHandle process(info.hProcess);
  if (processIdOut != nullptr) *processIdOut = info.dwProcessId;
  if (wait) WaitForSingleObject(process.get(), INFINITE);
  if (processHandleOut != nullptr) *processHandleOut = process.release();
  return S_OK;
}
