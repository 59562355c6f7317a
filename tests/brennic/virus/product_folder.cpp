#include "product_folder.h"

#include <algorithm>

#include "virus_fixture.h"

namespace virus_testing {

using testing_support::ChildResult;
using testing_support::CopyBuiltFile;

void ProductTest::SetUp() {
  ASSERT_TRUE(CreateDirectoryW((product_ / L"Data").c_str(), nullptr));
  for (const wchar_t* file : {L"Brennic.dll", L"VrelInstall.dll", L"Upload.dll", L"virus_host.exe"}) {
    ASSERT_TRUE(CopyBuiltFile(file, product_.path())) << testing_support::Narrow(file);
  }
  // Each test runs in a process of its own: the children inherit these.
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", (product_.path() + L"\\").c_str());
  SetEnvironmentVariableW(L"UPLOAD_OUTBOX", Outbox().c_str());
}

void ProductTest::LeaveOutUploadModule() { ASSERT_TRUE(DeleteFileW((product_ / L"Upload.dll").c_str())); }

ChildResult ProductTest::RunHost(const std::wstring& steps) {
  ChildResult result = testing_support::RunChild(product_ / L"virus_host.exe", L"load " + Dll() + L" " + steps,
                                                 30000, product_.path());
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(0u, result.exitCode) << result.output;
  return result;
}

ChildResult ProductTest::RunRundll32(const std::wstring& tail) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  ChildResult result = testing_support::RunChild(std::wstring(system) + L"\\rundll32.exe",
                                                 Dll() + L",Run32Send " + tail, 30000, product_.path());
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  return result;
}

std::vector<std::wstring> ProductTest::Reports() const {
  std::vector<std::wstring> reports;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((Outbox() + L"\\report-*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return reports;
  do {
    reports.push_back(Outbox() + L"\\" + found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(reports.begin(), reports.end());
  return reports;
}

std::string ProductTest::ReportFile(const std::wstring& report, const std::wstring& name) const {
  return ReadText(report + L"\\" + name);
}

void ProductTest::WriteStore(const std::wstring& name, const std::vector<uint8_t>& bytes) {
  CreateDirectoryW((product_ / L"Data\\VrelVirus").c_str(), nullptr);
  ASSERT_TRUE(testing_support::WriteFileBytes(VirusFile(name), bytes.data(), bytes.size()));
}

}  // namespace virus_testing
