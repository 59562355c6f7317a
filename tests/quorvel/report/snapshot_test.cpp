// The process snapshot: version strings of a host with a version resource, the
// system module ranges and device-path rewriting on this machine's real devices.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "config/fixtures.h"
#include "report/device_path.h"
#include "report_reader.h"
#include "reporter.h"

using namespace testing_support;

namespace {

TEST(VersionInfo, StringsOfAHostWithAVersionResourceAreCutToTheirFields) {
  EnsureReportFolder();
  HostFolder host;
  host.PutConfig(ConfigWithRuntime("<enabled>true</enabled>"));
  host.PutClient();
  ASSERT_TRUE(CopyBuiltFile(L"quorvel_version_host.exe", host.HostDir()));
  ChildResult run = RunChild(host.HostDir() + L"\\quorvel_version_host.exe", L"coinit init:0", 30000, host.HostDir());
  std::wstring path = ReportFilePath(run.processId);
  std::vector<uint8_t> file = ReadFileBytes(path);
  DeleteFileW(path.c_str());
  ASSERT_EQ(0ul, StepResult(run.output, "init:0")) << run.output;
  ASSERT_EQ(101536u, file.size());
  // 58 characters in the resource, 39 in the 40-character field.
  EXPECT_EQ(L"Test host whose description runs past t", WideAt(file, at::kFileDescription, 40));
  EXPECT_EQ(L"2.5.0.17", WideAt(file, at::kFileVersion, 40));
  // 67 characters in the resource, 63 in the 64-character field.
  EXPECT_EQ(L"Marlune Test Hosts Limited, Department of Rather Long Company N", WideAt(file, at::kCompanyName, 64));
  EXPECT_EQ(0, file[at::kFileDescription + 78] | file[at::kFileDescription + 79]);
  EXPECT_EQ(0, file[at::kCompanyName + 126] | file[at::kCompanyName + 127]);
}

bool Contains(const AddressRange& range, const void* address) {
  uintptr_t a = reinterpret_cast<uintptr_t>(address);
  return a >= range.low && a < range.high;
}

TEST(SystemModuleRanges, CoverTheLoadedSystemModules) {
  ASSERT_NE(nullptr, LoadLibraryW(L"rpcrt4.dll"));
  CReporter reporter;
  EXPECT_TRUE(reporter.LoadSystemModuleRanges());
  const void* mallocOfTheCrt = reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "malloc"));
  EXPECT_TRUE(Contains(reporter.systemModuleRanges[kRangeRpcrt4], GetModuleHandleW(L"rpcrt4.dll")));
  EXPECT_TRUE(Contains(reporter.systemModuleRanges[kRangeNtdll], GetModuleHandleW(L"ntdll.dll")));
  EXPECT_TRUE(Contains(reporter.systemModuleRanges[kRangeMsvcrt], mallocOfTheCrt));
  // This build's malloc is msvcrt's: the C runtime range is msvcrt.dll's, not the
  // range of the program that holds the import stub.
  EXPECT_TRUE(Contains(reporter.systemModuleRanges[kRangeCrtMalloc], mallocOfTheCrt));
  EXPECT_FALSE(Contains(reporter.systemModuleRanges[kRangeCrtMalloc], GetModuleHandleW(nullptr)));
}

std::wstring DeviceOf(const wchar_t* drive) {
  wchar_t target[MAX_PATH] = L"";
  QueryDosDeviceW(drive, target, MAX_PATH);
  return target;
}

TEST(DevicePathToDosPath, OwnImagePathComesBackInDriveLetterForm) {
  wchar_t image[MAX_PATH];
  ASSERT_NE(0u, GetProcessImageFileNameW(GetCurrentProcess(), image, MAX_PATH));
  ASSERT_EQ(0, wcsncmp(image, L"\\Device\\", 8)) << Narrow(image);
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  EXPECT_EQ(S_OK, DevicePathToDosPath(image, MAX_PATH));
  EXPECT_EQ(0, _wcsicmp(module, image)) << Narrow(module) << " / " << Narrow(image);
}

TEST(DevicePathToDosPath, RealDevicesAndPathsThatStayAsTheyAre) {
  const std::wstring c = DeviceOf(L"C:");
  const std::wstring z = DeviceOf(L"Z:");
  ASSERT_FALSE(c.empty());
  ASSERT_FALSE(z.empty());
  std::wstring lowerC = c;
  for (wchar_t& ch : lowerC) ch = static_cast<wchar_t>(towlower(ch));
  struct Case {
    std::wstring path;
    size_t capacity;
    HRESULT expected;
    std::wstring result;
  } cases[] = {
      {c + L"\\windows\\notepad.exe", MAX_PATH, S_OK, L"C:\\windows\\notepad.exe"},
      {z + L"\\tmp\\file.txt", MAX_PATH, S_OK, L"Z:\\tmp\\file.txt"},
      {lowerC + L"\\x", MAX_PATH, S_OK, L"C:\\x"},            // device names compare without case
      {c + L"\\", MAX_PATH, S_OK, L"C:\\"},
      {c + L"\\x", 5, S_OK, L"C:\\x"},                        // exactly fits
      {c + L"\\xy", 5, E_FAIL, c + L"\\xy"},                   // would not fit: left as it was
      {c, MAX_PATH, E_FAIL, c},                               // two backslashes only
      {L"\\Device", MAX_PATH, E_FAIL, L"\\Device"},
      {L"", MAX_PATH, E_FAIL, L""},
      {L"\\Device\\Mup\\server\\share\\file.txt", MAX_PATH, E_FAIL, L"\\Device\\Mup\\server\\share\\file.txt"},
      {c + L"9\\x", MAX_PATH, E_FAIL, c + L"9\\x"},            // a longer device name is another device
  };
  for (const Case& k : cases) {
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    wcscpy(buffer.data(), k.path.c_str());
    EXPECT_EQ(k.expected, DevicePathToDosPath(buffer.data(), k.capacity)) << Narrow(k.path);
    EXPECT_EQ(k.result, std::wstring(buffer.data())) << Narrow(k.path);
  }
}

}  // namespace
