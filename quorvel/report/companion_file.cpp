#include "report/companion_file.h"

#include <shlwapi.h>

#include <cwchar>

#include "common/hresult.h"
#include "common/text.h"

bool PathExists(const wchar_t* path) { return PathFileExistsW(path) != FALSE; }

HRESULT FindCompanionFile(wchar_t* buffer, size_t capacity, const wchar_t* fileName) {
  if (buffer == nullptr || capacity == 0 || fileName == nullptr) return E_INVALIDARG;
  buffer[0] = L'\0';
  wchar_t work[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, work, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_INVALIDARG;
  wchar_t* slash = wcsrchr(work, L'\\');
  if (slash == nullptr) return HResultFromLastError();
  slash[1] = L'\0';
  size_t folderLength = wcslen(work);

  if (!AppendText(work, MAX_PATH, fileName) || !CopyText(buffer, capacity, work)) return E_INVALIDARG;
  if (PathExists(buffer)) return S_OK;

  work[folderLength] = L'\0';
  if (folderLength >= 4 && _wcsicmp(work + folderLength - 4, L"x86\\") == 0) {
    work[folderLength - 4] = L'\0';
  } else if (!AppendText(work, MAX_PATH, L"x86\\")) {
    return E_INVALIDARG;
  }
  if (!AppendText(work, MAX_PATH, fileName) || !CopyText(buffer, capacity, work)) return E_INVALIDARG;
  if (PathExists(buffer)) return S_OK;
  // The fallback folder is usually absent; that the file is not there is what the
  // caller needs to know, not that the search passed a missing folder.
  DWORD error = GetLastError();
  return HResultFromWin32(static_cast<LONG>(error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error));
}
