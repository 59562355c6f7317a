#include "send/staging_folder.h"

#include <shlobj.h>
#include <windows.h>

namespace {

std::wstring CommonAppDataFolder() {
  std::wstring folder;
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return folder;
  LPITEMIDLIST items = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_APPDATA, &items)) && items != nullptr) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(items, path)) folder = path;
    allocator->Free(items);
  }
  allocator->Release();
  return folder;
}

}  // namespace

std::wstring PrepareStagingFolder() {
  std::wstring common = CommonAppDataFolder();
  if (common.empty()) return {};
  std::wstring staging = common + L"\\VrelReport\\holvane\\";
  DWORD attributes = GetFileAttributesW(staging.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    CreateDirectoryW(staging.c_str(), nullptr);
  } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::wstring file = staging.substr(0, staging.size() - 1);
    DeleteFileW(file.c_str());
    CreateDirectoryW(staging.c_str(), nullptr);
  }
  return staging;
}
