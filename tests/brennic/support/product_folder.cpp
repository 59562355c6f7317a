#include "product_folder.h"

#include <windows.h>

#include <cstdlib>

using namespace testing_support;

ProductFolder::ProductFolder(unsigned parts) {
  // A variable left over from elsewhere would move the installation folder.
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", nullptr);
  SetEnvironmentVariableW(L"UPLOAD_OUTBOX", nullptr);
  CopyBuiltFile(L"brennic_host.exe", Root());
  CopyBuiltFile(L"Brennic.dll", Root());
  if (parts & kInstallModule) CopyBuiltFile(L"VrelInstall.dll", Root());
  if (parts & kUploadModule) CopyBuiltFile(L"Upload.dll", Root());
  if (parts & kPackingProgram) CopyBuiltFile(L"HvReport.exe", Root());
  CreateDirectoryW((Root() + L"\\Data").c_str(), nullptr);
}

void ProductFolder::PutAs(const std::wstring& built, const std::wstring& name) const {
  CopyFileW(BuiltFile(built).c_str(), (Root() + L"\\" + name).c_str(), FALSE);
}

ChildResult ProductFolder::RunHost(const std::wstring& steps, unsigned timeoutMs, const std::wstring& folder) const {
  return RunChild(Root() + L"\\brennic_host.exe", steps, timeoutMs, folder.empty() ? Root() : folder);
}

ChildResult ProductFolder::RunRundll(const std::wstring& entryAndArguments, unsigned timeoutMs) const {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring rundll = std::wstring(system) + L"\\rundll32.exe";
  return RunChild(rundll, L"\"" + Root() + L"\\Brennic.dll\"," + entryAndArguments, timeoutMs, Root());
}

long HostPrintedNumber(const std::string& output, const std::string& name) {
  std::string key = name + " ";
  size_t at = output.find(key);
  if (at == std::string::npos) return -1;
  return strtol(output.c_str() + at + key.size(), nullptr, 10);
}

std::wstring StoredClientIdentifier() {
  wchar_t value[128] = {};
  DWORD bytes = sizeof(value) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Holvane", L"reportcid", RRF_RT_ANY, &type, value, &bytes) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return L"";
  return value;
}

std::string ListIdentifier(const std::vector<uint8_t>& listFile) {
  std::string text = AsText(listFile);
  const std::string start = "<errList cid=\"";
  if (text.compare(0, start.size(), start) != 0) return "";
  size_t end = text.find("\" >\r\n", start.size());
  return end == std::string::npos ? "" : text.substr(start.size(), end - start.size());
}

std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
