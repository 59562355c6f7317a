#include "crash_run.h"

#include <shlobj.h>

#include <cstdlib>

using namespace testing_support;

namespace {

std::wstring ReportFolder() {
  wchar_t local[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE);
  std::wstring folder = std::wstring(local) + L"\\Marlune";
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\Quorvel";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::vector<std::string> Lines(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (uint8_t byte : bytes) {
    if (byte == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (byte != '\r') {
      line += static_cast<char>(byte);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

std::vector<unsigned long> CrashRun::AllPrinted(const std::string& step) const {
  std::vector<unsigned long> values;
  std::string key = step + " 0x";
  size_t at = 0;
  while ((at = child.output.find(key, at)) != std::string::npos) {
    if (at == 0 || child.output[at - 1] == '\n') values.push_back(strtoul(child.output.c_str() + at + key.size(), nullptr, 16));
    at += key.size();
  }
  return values;
}

std::string CrashConfig(const std::string& extra) {
  return "<?xml version=\"1.0\"?>\n<quorvel><runtime><enabled>true</enabled><useUILauncher>false</useUILauncher>" +
         extra + "</runtime></quorvel>\n";
}

CrashRun RunCrashHost(const std::string& config, const std::wstring& steps, Client client, DWORD timeoutMs) {
  HostFolder folder;
  CopyBuiltFile(L"crash_host.exe", folder.HostDir());
  if (client == Client::kReal) {
    CopyBuiltFile(L"QuorvelClient.exe", folder.HostDir());
  } else {
    folder.PutClient();
  }
  folder.PutConfig(config);
  const std::wstring record = folder.Root() + L"\\client-runs.txt";
  SetEnvironmentVariableW(L"QUORVEL_CLIENT_RECORD", record.c_str());

  CrashRun run;
  run.realClient = client == Client::kReal;
  run.hostPath = folder.HostDir() + L"\\crash_host.exe";
  const std::wstring reports = ReportFolder();
  run.child = RunChild(run.hostPath, steps, timeoutMs, folder.HostDir());
  SetEnvironmentVariableW(L"QUORVEL_CLIENT_RECORD", nullptr);
  run.clientRuns = Lines(ReadFileBytes(record));

  const std::wstring stem = reports + L"\\MarluneApp" + std::to_wstring(run.child.processId);
  run.report = ReadFileBytes(stem + L".qvrp");
  const std::vector<uint8_t> text = ReadFileBytes(stem + L".txt");
  run.clientText.assign(text.begin(), text.end());
  for (const wchar_t* extension : {L".qvrp", L".txt", L".json", L".dmp"}) DeleteFileW((stem + extension).c_str());
  return run;
}
