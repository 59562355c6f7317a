#include "exports/host_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

using namespace testing_support;

HostFolder::HostFolder(const std::wstring& subfolder) {
  hostDir_ = subfolder.empty() ? dir_.path() : dir_ / subfolder;
  CreateDirectoryW(hostDir_.c_str(), nullptr);
  CopyBuiltFile(L"quorvel_host.exe", hostDir_);
  CopyBuiltFile(L"Quorvel.dll", hostDir_);
}

void HostFolder::PutConfig(const std::string& xml, const std::wstring& where) const {
  std::wstring folder = where.empty() ? hostDir_ : dir_ / where;
  CreateDirectoryW(folder.c_str(), nullptr);
  WriteTextFile(folder + L"\\QuorvelConfig.xml", xml);
}

void HostFolder::PutClient(const std::wstring& where, const std::wstring& name) const {
  std::wstring folder = where.empty() ? hostDir_ : dir_ / where;
  CreateDirectoryW(folder.c_str(), nullptr);
  CopyFileW(BuiltFile(L"quorvel_host.exe").c_str(), (folder + L"\\" + name).c_str(), FALSE);
}

ChildResult HostFolder::Run(const std::wstring& steps, unsigned timeoutMs) const {
  return RunChild(hostDir_ + L"\\quorvel_host.exe", steps, timeoutMs, hostDir_);
}

namespace {
std::wstring MarluneFolder() {
  wchar_t local[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE);
  return std::wstring(local) + L"\\Marlune";
}
std::wstring ReportFolder() { return MarluneFolder() + L"\\Quorvel\\"; }
}  // namespace

std::wstring EnsureReportFolder() {
  CreateDirectoryW(MarluneFolder().c_str(), nullptr);
  CreateDirectoryW(ReportFolder().c_str(), nullptr);
  return ReportFolder();
}

std::wstring ReportFilePath(unsigned long processId) {
  return ReportFolder() + L"MarluneApp" + std::to_wstring(processId) + L".qvrp";
}
