#include "core/file_text.h"

std::string ToFileText(const std::wstring& text) {
  if (text.empty()) return {};
  int length = static_cast<int>(text.size());
  int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string converted(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, &converted[0], bytes, nullptr, nullptr);
  return converted;
}

std::wstring FromFileText(const char* text) {
  if (text == nullptr) return {};
  return FromFileText(std::string(text));
}

std::wstring FromFileText(const std::string& text) {
  if (text.empty()) return {};
  int length = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::wstring converted(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, &converted[0], units);
  return converted;
}

void WriteFileText(HANDLE file, const std::wstring& text) {
  std::string bytes = ToFileText(text);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
