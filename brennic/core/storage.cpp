#include "core/storage.h"

#include <windows.h>

#include "send/install_module.h"

std::wstring ErrorListFolder() { return LookupInstallFolder() + L"Data\\VrelReport"; }

std::wstring VirusFolder() { return LookupInstallFolder() + L"Data\\VrelVirus"; }

std::wstring ExecutableTail() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path);
  size_t slash = full.rfind(L'\\');
  return slash == std::wstring::npos ? full : full.substr(slash);
}

bool EnsureLastFolderLevel(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}
