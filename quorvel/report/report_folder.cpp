#include "report/report_folder.h"

#include <shlobj.h>

#include "common/hresult.h"
#include "common/text.h"

namespace {
constexpr HRESULT kPathTooLong = static_cast<HRESULT>(0x800700CE);  // ERROR_FILENAME_EXCED_RANGE
}

HRESULT GetReportFolder(wchar_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity == 0) return E_INVALIDARG;
  buffer[0] = L'\0';
  wchar_t local[MAX_PATH] = L"";
  // The folder is not created here: its parent belongs to the product's installer.
  if (!SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE) || local[0] == L'\0') return E_FAIL;
  if (!CopyText(buffer, capacity, local) || !AppendText(buffer, capacity, L"\\Marlune\\Quorvel\\")) {
    buffer[0] = L'\0';
    return kPathTooLong;
  }
  return S_OK;
}

HRESULT MakeReportPath(const wchar_t* folder, DWORD processId, wchar_t* path, wchar_t* name) {
  FormatText(name, kReportPathCapacity, L"MarluneApp%d.qvrp", static_cast<int>(processId));
  if (!CopyText(path, kReportPathCapacity, folder) || !AppendText(path, kReportPathCapacity, name)) {
    path[0] = L'\0';
    name[0] = L'\0';
    return kPathTooLong;
  }
  return S_OK;
}
