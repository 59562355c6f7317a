#include "virus/pending_shared.h"

std::string PendingToFileText(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring PendingFromFileText(const char* text, size_t bytes) {
  if (bytes == 0) return {};
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text, static_cast<int>(bytes), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text, static_cast<int>(bytes), &out[0], n);
  return out;
}

void PendingWriteFileText(HANDLE file, const std::wstring& text) {
  std::string bytes = PendingToFileText(text);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring PendingClientIdentifier() {
  wchar_t value[37] = L"";
  DWORD bytes = sizeof(value);
  DWORD type = 0;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Holvane", 0, KEY_READ, &key) == ERROR_SUCCESS) {
    if (RegQueryValueExW(key, L"reportcid", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
      value[0] = 0;
    }
    value[36] = 0;
    RegCloseKey(key);
  }
  return value;
}
