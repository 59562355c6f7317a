#include "pipeline_folder.h"

#include <shlobj.h>

#include "config/fixtures.h"

using namespace testing_support;

const char kNoLauncher[] = "<enabled>true</enabled><useUILauncher>false</useUILauncher>";

namespace {
const wchar_t kClientRecord[] = L"client-commands.txt";
}

PipelineFolder::PipelineFolder(bool core, const std::string& runtime) : core_(core) {
  CopyBuiltFile(core ? L"pipeline_core_host.exe" : L"pipeline_host.exe", dir_.path());
  CopyBuiltFile(L"Quorvel.dll", dir_.path());
  CopyBuiltFile(L"QuorvelClient.exe", dir_.path());
  PutConfig(runtime);
  // Children inherit it: the client writes its command line there.
  SetEnvironmentVariableW(L"QUORVEL_CLIENT_RECORD", (dir_ / kClientRecord).c_str());
  // The product's installer creates the report folder's parent.
  wchar_t local[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE);
  CreateDirectoryW((std::wstring(local) + L"\\Marlune").c_str(), nullptr);
  CreateDirectoryW((std::wstring(local) + L"\\Marlune\\Quorvel").c_str(), nullptr);
}

PipelineFolder::~PipelineFolder() {
  for (DWORD id : processes_) {
    for (const wchar_t* extension : {L".qvrp", L".txt", L".json", L".dmp"}) {
      DeleteFileW((ReportFolder() + L"MarluneApp" + std::to_wstring(id) + extension).c_str());
    }
  }
}

std::wstring PipelineFolder::HostPath() const {
  return dir_ / (core_ ? L"pipeline_core_host.exe" : L"pipeline_host.exe");
}

void PipelineFolder::PutConfig(const std::string& runtime) const {
  WriteTextFile(dir_ / L"QuorvelConfig.xml", ConfigWithRuntime(runtime));
}

void PipelineFolder::PutLauncher() const { CopyBuiltFile(L"QuorvelLauncher.exe", dir_.path()); }

bool PipelineFolder::Start(LiveChild& child, const std::wstring& steps) {
  if (!child.Start(HostPath(), steps, dir_.path())) return false;
  processes_.push_back(child.Id());
  return true;
}

std::vector<std::string> PipelineFolder::ClientCommandLines() const {
  std::vector<std::string> lines;
  std::vector<uint8_t> bytes = ReadFileBytes(dir_ / kClientRecord);
  std::string text(bytes.begin(), bytes.end());
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::wstring ReportFolder() {
  wchar_t local[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE);
  return std::wstring(local) + L"\\Marlune\\Quorvel\\";
}

std::wstring ReportName(DWORD processId) { return L"MarluneApp" + std::to_wstring(processId) + L".qvrp"; }
std::wstring ReportPath(DWORD processId) { return ReportFolder() + ReportName(processId); }
std::wstring ClientOutput(DWORD processId, const wchar_t* extension) {
  return ReportFolder() + L"MarluneApp" + std::to_wstring(processId) + extension;
}

bool WaitForNamedEvent(const std::wstring& name, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
    if (event != nullptr) {
      CloseHandle(event);
      return true;
    }
    Sleep(20);
  } while (GetTickCount() - start < timeoutMs);
  return false;
}

bool ReleaseHold(DWORD hostId) {
  std::wstring name = L"QuorvelPipelineGo" + std::to_wstring(hostId);
  if (!WaitForNamedEvent(name, 10000)) return false;
  HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
  bool set = event != nullptr && SetEvent(event);
  if (event) CloseHandle(event);
  return set;
}
