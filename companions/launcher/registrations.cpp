#include "registrations.h"

#include <cwchar>

#include "common/text.h"
#include "report/start_program.h"

namespace {

// The folder of a program path, without a trailing "\x86", in lower case.
std::wstring InstallationOf(const wchar_t* programPath) {
  std::wstring folder = programPath;
  size_t slash = folder.find_last_of(L'\\');
  folder = slash == std::wstring::npos ? L"" : folder.substr(0, slash);
  for (wchar_t& c : folder) c = static_cast<wchar_t>(towlower(c));
  if (folder.size() >= 4 && folder.compare(folder.size() - 4, 4, L"\\x86") == 0) folder.resize(folder.size() - 4);
  return folder;
}

}  // namespace

bool IsServedProgram(HANDLE process, bool anyProcess) {
  if (anyProcess) return true;
  wchar_t own[MAX_PATH];
  wchar_t other[MAX_PATH];
  DWORD otherLength = MAX_PATH;
  if (GetModuleFileNameW(nullptr, own, MAX_PATH) == 0) return false;
  if (!QueryFullProcessImageNameW(process, 0, other, &otherLength)) return false;
  return InstallationOf(own) == InstallationOf(other);
}

bool OpenRegistration(DWORD processId, bool anyProcess, Registration* out) {
  out->processId = processId;
  out->process.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!out->process || !IsServedProgram(out->process.get(), anyProcess)) return false;
  wchar_t name[64];
  FormatText(name, 64, L"LaunchUI%lu.qvrp", processId);
  out->launchUi.reset(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name));
  return out->launchUi.valid();
}

bool StartClientFor(Registration& registration, const std::wstring& clientPath) {
  wchar_t reportName[64];
  FormatText(reportName, 64, L"MarluneApp%lu.qvrp", registration.processId);
  HANDLE client = nullptr;
  if (FAILED(StartProgram(clientPath.c_str(), reportName, false, nullptr, &client))) return false;
  registration.client.reset(client);
  return true;
}
