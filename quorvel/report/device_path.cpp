#include "report/device_path.h"

#include <cwchar>

HRESULT DevicePathToDosPath(wchar_t* path, size_t capacity) {
  if (path == nullptr || path[0] == L'\0') return E_FAIL;
  const wchar_t* second = wcschr(path + 1, L'\\');
  if (second == nullptr) return E_FAIL;
  const wchar_t* rest = wcschr(second + 1, L'\\');
  if (rest == nullptr) return E_FAIL;
  const size_t deviceLength = static_cast<size_t>(rest - path);
  const size_t restLength = wcslen(rest);
  if (2 + restLength + 1 > capacity) return E_FAIL;

  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    const wchar_t drive[3] = {letter, L':', L'\0'};
    wchar_t target[MAX_PATH];
    if (QueryDosDeviceW(drive, target, MAX_PATH) == 0) continue;
    // Only the first of the targets counts.
    if (wcslen(target) != deviceLength || _wcsnicmp(target, path, deviceLength) != 0) continue;
    wmemmove(path + 2, rest, restLength + 1);
    path[0] = letter;
    path[1] = L':';
    return S_OK;
  }
  return E_FAIL;
}
