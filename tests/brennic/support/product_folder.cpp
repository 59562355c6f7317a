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

// Started without redirected output: rundll32 brings up Wine's desktop process,
// which would inherit an output pipe and keep it open long after rundll32 ended.
ChildResult ProductFolder::RunRundll(const std::wstring& entryAndArguments, unsigned timeoutMs) const {
  ChildResult result;
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring rundll = std::wstring(system) + L"\\rundll32.exe";
  std::wstring commandLine = L"\"" + rundll + L"\" \"" + Root() + L"\\Brennic.dll\"," + entryAndArguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(rundll.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, Root().c_str(), &startup,
                      &info))
    return result;
  result.started = true;
  result.processId = info.dwProcessId;
  if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(info.hProcess, 0xDEAD);
    WaitForSingleObject(info.hProcess, 5000);
  }
  GetExitCodeProcess(info.hProcess, &result.exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

unsigned long HostStepResult(const std::string& output, const std::string& step) {
  std::string key = step + " 0x";
  size_t at = 0;
  while ((at = output.find(key, at)) != std::string::npos) {
    if (at == 0 || output[at - 1] == '\n') return strtoul(output.c_str() + at + key.size(), nullptr, 16);
    at += key.size();
  }
  return 0xFFFFFFFFul;
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
