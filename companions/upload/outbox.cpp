#include "outbox.h"

#include <windows.h>

#include <cstdio>

#include "utf8_text.h"

namespace {

bool WriteUtf8File(const std::wstring& path, const std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes = Utf8(text);
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// Creates every missing level of path.
void CreateFolderChain(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring SafeName(const std::wstring& name) {
  std::wstring safe = name;
  for (wchar_t& c : safe) {
    bool plain = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_' ||
                 c == L'-' || c == L'.';
    if (!plain) c = L'_';
  }
  return safe;
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

unsigned CountReports(const std::wstring& outbox) {
  unsigned count = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((outbox + L"\\report-*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do ++count;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

void WriteContents(const std::wstring& folder, const SentReport& report) {
  WriteUtf8File(folder + L"\\type.txt", report.type);
  for (const auto& param : report.params)
    WriteUtf8File(folder + L"\\param-" + SafeName(param.first) + L".txt", param.second);
  if (report.hasAttachment) {
    WriteUtf8File(folder + L"\\attachment-path.txt", report.attachmentPath);
    CreateDirectoryW((folder + L"\\attachment").c_str(), nullptr);
    std::wstring copy = folder + L"\\attachment\\" + FileNameOf(report.attachmentPath);
    if (!CopyFileW(report.attachmentPath.c_str(), copy.c_str(), FALSE))
      WriteUtf8File(folder + L"\\attachment-error.txt", std::to_wstring(GetLastError()));
  }
  WriteUtf8File(folder + L"\\send.txt", std::to_wstring(report.sendMode));
  std::wstring calls;
  for (const auto& call : report.calls) calls += call + L"\r\n";
  WriteUtf8File(folder + L"\\calls.txt", calls);
}

}  // namespace

std::wstring OutboxFolder(void* module) {
  wchar_t fromEnvironment[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(L"UPLOAD_OUTBOX", fromEnvironment, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::wstring folder(fromEnvironment);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
  }
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(static_cast<HMODULE>(module), path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.rfind(L'\\')) + L"\\Outbox";
}

bool WriteToOutbox(const std::wstring& outbox, const SentReport& report) {
  CreateFolderChain(outbox);
  static LONG counter = 0;
  wchar_t temporary[64];
  _snwprintf_s(temporary, 64, _TRUNCATE, L"\\~%lu-%lu-%ld", GetCurrentProcessId(), GetTickCount(),
               InterlockedIncrement(&counter));
  std::wstring building = outbox + temporary;
  if (!CreateDirectoryW(building.c_str(), nullptr)) return false;
  WriteContents(building, report);

  // The rename picks the number: it fails while another report holds the name, so
  // two senders (even in two processes) never share a folder.
  for (unsigned number = CountReports(outbox) + 1; number < 100000; ++number) {
    wchar_t name[32];
    _snwprintf_s(name, 32, _TRUNCATE, L"\\report-%05u", number);
    if (MoveFileW(building.c_str(), (outbox + name).c_str())) return true;
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED) break;
  }
  return false;
}
