// The report file as the companion programs see it: created by host programs in
// child processes (processId and parentProcessId are theirs), read from disk at the
// literal offsets of the format.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "config/fixtures.h"
#include "exports/host_folder.h"
#include "report/report_folder.h"
#include "report_reader.h"

using namespace testing_support;

namespace {

constexpr unsigned long kAlreadyInitialized = 0x800401F1;
constexpr unsigned long kSharingViolation = 0x80070020;

// Runs the host with the given settings and steps and returns its report file, which
// stays on disk when the host ends without Quorvel_Shutdown; the file is removed
// afterwards.
struct HostRun {
  ChildResult run;
  std::vector<uint8_t> file;
};

HostRun RunHost(const HostFolder& host, const std::wstring& steps) {
  HostRun result;
  result.run = host.Run(steps);
  std::wstring path = ReportFilePath(result.run.processId);
  result.file = ReadFileBytes(path);
  DeleteFileW(path.c_str());
  return result;
}

HostFolder& Prepared(HostFolder& host, const std::string& settings = "") {
  EnsureReportFolder();
  host.PutConfig(ConfigWithRuntime("<enabled>true</enabled>" + settings));
  host.PutClient();
  return host;
}

// Every value the host printed for a step, in order.
std::vector<unsigned long> AllResults(const std::string& output, const std::string& step) {
  std::vector<unsigned long> values;
  const std::string key = step + " 0x";
  for (size_t at = output.find(key); at != std::string::npos; at = output.find(key, at + 1)) {
    if (at == 0 || output[at - 1] == '\n') values.push_back(strtoul(output.c_str() + at + key.size(), nullptr, 16));
  }
  return values;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

TEST(ReportFile, HeaderAndSnapshotWithTheDefaults) {
  HostFolder host;
  HostRun r = RunHost(Prepared(host), L"coinit init:0");
  ASSERT_EQ(0ul, StepResult(r.run.output, "init:0")) << r.run.output;
  const std::vector<uint8_t>& f = r.file;
  ASSERT_EQ(101536u, f.size());
  EXPECT_EQ(101536u, U32At(f, at::kTotalSize));
  EXPECT_EQ(0x00010001u, U32At(f, at::kFormatVersion));
  EXPECT_EQ(0, f[8]);
  EXPECT_EQ(0, f[at::kInitFlag]);
  EXPECT_EQ(r.run.processId, U32At(f, at::kProcessId));
  EXPECT_EQ(GetCurrentProcessId(), U32At(f, at::kParentProcessId));  // this test started it
  EXPECT_PRED2(SamePath, host.HostDir() + L"\\quorvel_host.exe", WideAt(f, at::kModulePath, 260));
  EXPECT_PRED2(SamePath, ReportFilePath(r.run.processId), WideAt(f, at::kReportPath, 260));
  // The test host carries no version resource.
  EXPECT_EQ(L"Unknown", WideAt(f, at::kFileDescription, 40));
  EXPECT_EQ(L"Unknown", WideAt(f, at::kFileVersion, 40));
  EXPECT_EQ(L"Unknown Company", WideAt(f, at::kCompanyName, 64));
  EXPECT_EQ(9600u, U32At(f, at::kLogOldestOffset));
  EXPECT_EQ(75136u, U32At(f, at::kFileListOffset));
  EXPECT_EQ(0u, U32At(f, at::kFileCount));
  // Everything no field covers, and every field not yet written, is zero.
  EXPECT_TRUE(AllZero(f, 10, 12));
  EXPECT_TRUE(AllZero(f, 20, 60));  // watched processes
  EXPECT_TRUE(AllZero(f, 1388, 9584));  // reserved, report kind, kind area
  EXPECT_TRUE(AllZero(f, 9596, f.size()));  // log area and file list
}

TEST(ReportFile, FlagAndSizesAtTheirOffsets) {
  const DWORD self = GetCurrentProcessId();
  struct Case {
    const char* name;
    std::string settings;
    const wchar_t* init;
    unsigned flag;
    DWORD parent;
    uint32_t totalSize;
    uint32_t fileListOffset;
  } cases[] = {
      {"limited mode", "", L"init:1", 1, 0, 101536, 75136},
      {"only the low byte counts", "", L"init:0x101", 1, 0, 101536, 75136},
      {"high byte alone is a clear flag", "", L"init:0x100", 0, self, 101536, 75136},
      {"no log", "<messagelogSize>0</messagelogSize>", L"init:0", 0, self, 36000, 9600},
      {"small log and list", "<messagelogSize>4</messagelogSize><supplementfileSize>3</supplementfileSize>",
       L"init:0", 0, self, 15280, 13696},
      // Out-of-range sizes are bounded: below 0 counts as 0, above the limits as
      // 16384 KB of log and 10000 list entries.
      {"negative log", "<messagelogSize>-1</messagelogSize>", L"init:0", 0, self, 36000, 9600},
      {"huge log", "<messagelogSize>2147483647</messagelogSize>", L"init:0", 0, self, 9600 + 16777216 + 26400,
       9600 + 16777216},
      {"negative list", "<supplementfileSize>-5</supplementfileSize>", L"init:0", 0, self, 75136, 75136},
      {"huge list", "<supplementfileSize>2147483647</supplementfileSize>", L"init:0", 0, self, 75136 + 5280000,
       75136},
  };
  for (const Case& c : cases) {
    HostFolder host;
    HostRun r = RunHost(Prepared(host, c.settings), std::wstring(L"coinit ") + c.init);
    ASSERT_EQ(0ul, StepResult(r.run.output, Narrow(c.init))) << c.name << "\n" << r.run.output;
    EXPECT_EQ(c.totalSize, r.file.size()) << c.name;
    EXPECT_EQ(c.totalSize, U32At(r.file, at::kTotalSize)) << c.name;
    EXPECT_EQ(c.fileListOffset, U32At(r.file, at::kFileListOffset)) << c.name;
    EXPECT_EQ(9600u, U32At(r.file, at::kLogOldestOffset)) << c.name;
    EXPECT_EQ(c.flag, r.file.size() > 9 ? r.file[at::kInitFlag] : 0xFFu) << c.name;
    EXPECT_EQ(c.parent, U32At(r.file, at::kParentProcessId)) << c.name;
  }
}

TEST(ReportFile, BoundedSizesStillWorkAtTheEdges) {
  // A list bounded to nothing keeps no file; a log bounded to nothing keeps no text.
  HostFolder host;
  HostRun r = RunHost(Prepared(host, "<messagelogSize>-1</messagelogSize><supplementfileSize>-1</supplementfileSize>"),
                      L"coinit init:0 addtext:x addfile:1:2:C:\\a.txt");
  EXPECT_EQ(1ul, StepResult(r.run.output, "addtext:x"));
  EXPECT_EQ(1ul, StepResult(r.run.output, "addfile:1:2:C:\\a.txt"));
  EXPECT_EQ(9600u, r.file.size());
}

TEST(ReportFile, SecondCreationIsRefusedAndLeavesTheFileAlone) {
  HostFolder host;
  HostRun r = RunHost(Prepared(host), L"coinit init:0 addtext:first init:0 addtext:second");
  EXPECT_EQ((std::vector<unsigned long>{0, kAlreadyInitialized}), AllResults(r.run.output, "init:0")) << r.run.output;
  ASSERT_EQ(101536u, r.file.size());
  EXPECT_EQ(r.run.processId, U32At(r.file, at::kProcessId));
  std::vector<LogEntry> log;
  std::string error;
  ASSERT_TRUE(ReadLog(r.file, &log, &error)) << error;
  EXPECT_EQ((std::vector<std::wstring>{L"first", L"second"}), Texts(log));
}

TEST(ReportFile, StaleFileOfAnEarlierProcessIsOverwrittenFromTheStart) {
  HostFolder host;
  HostRun r = RunHost(Prepared(host), L"coinit stale init:0");
  ASSERT_EQ(1ul, StepResult(r.run.output, "stale")) << r.run.output;
  ASSERT_EQ(0ul, StepResult(r.run.output, "init:0")) << r.run.output;
  ASSERT_EQ(101536u, r.file.size());
  EXPECT_EQ(0x00010001u, U32At(r.file, at::kFormatVersion));
  EXPECT_TRUE(AllZero(r.file, 1388, 9584));
  EXPECT_TRUE(AllZero(r.file, 9596, r.file.size()));
}

TEST(ReportFile, FileHeldByAnotherProgramIsNeitherTakenNorDeleted) {
  // Creation fails on a file another program holds without sharing writes; that
  // file is not ours, so shutdown leaves it where it is.
  HostFolder host;
  Prepared(host);
  ChildResult run = host.Run(L"coinit stale:hold init:0 addtext:x shutdown");
  std::wstring path = ReportFilePath(run.processId);
  std::vector<uint8_t> file = ReadFileBytes(path);
  DeleteFileW(path.c_str());
  EXPECT_EQ(kSharingViolation, StepResult(run.output, "init:0")) << run.output;
  EXPECT_EQ(0x80040007ul, StepResult(run.output, "addtext:x"));
  ASSERT_EQ(200000u, file.size());
  EXPECT_EQ(0xABu, file[0]);
}

TEST(ReportFile, ShutdownDeletesTheFile) {
  HostFolder host;
  Prepared(host);
  ChildResult run = host.Run(L"coinit init:0 reportfile shutdown reportfile");
  EXPECT_EQ((std::vector<unsigned long>{1, 0}), AllResults(run.output, "reportfile")) << run.output;
  EXPECT_FALSE(FileExists(ReportFilePath(run.processId)));
}

// A host that lives until the test lets it go, started without waiting for it.
class LiveHost {
 public:
  LiveHost(const HostFolder& host, const std::wstring& steps) {
    std::wstring program = host.HostDir() + L"\\quorvel_host.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + steps;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              host.HostDir().c_str(), &startup, &info_) != FALSE;
  }
  ~LiveHost() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 20000) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 0xDEAD);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool started() const { return started_; }
  DWORD processId() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }

 private:
  bool started_ = false;
  PROCESS_INFORMATION info_ = {};
};

TEST(ReportFile, LiveFileIsReadableThroughItsMappingButNotWritable) {
  HostFolder host;
  Prepared(host);
  std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
  std::wstring readyName = L"qvtest-ready-" + tag;
  std::wstring goName = L"qvtest-go-" + tag;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, goName.c_str());
  {
    LiveHost child(host, L"coinit init:0 addtext:live signal:" + readyName + L" wait:" + goName + L" shutdown");
    ASSERT_TRUE(child.started());
    HANDLE waits[2] = {ready, child.process()};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000));

    std::vector<uint8_t> bytes = ReadMapping(child.processId());
    ASSERT_EQ(101536u, bytes.size());
    EXPECT_EQ(child.processId(), U32At(bytes, at::kProcessId));
    std::vector<LogEntry> log;
    std::string error;
    ASSERT_TRUE(ReadLog(bytes, &log, &error)) << error;
    EXPECT_EQ(std::vector<std::wstring>{L"live"}, Texts(log));

    std::wstring path = ReportFilePath(child.processId());
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    SetEvent(go);
  }
  CloseHandle(ready);
  CloseHandle(go);
}

TEST(ReportPath, FolderNameAndLimit) {
  wchar_t folder[kReportPathCapacity];
  ASSERT_EQ(S_OK, GetReportFolder(folder, kReportPathCapacity));
  wchar_t local[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE));
  EXPECT_EQ(std::wstring(local) + L"\\Marlune\\Quorvel\\", folder);

  wchar_t path[kReportPathCapacity];
  wchar_t name[kReportPathCapacity];
  ASSERT_EQ(S_OK, MakeReportPath(L"C:\\r\\", 1234, path, name));
  EXPECT_STREQ(L"MarluneApp1234.qvrp", name);
  EXPECT_STREQ(L"C:\\r\\MarluneApp1234.qvrp", path);

  // 240 + 19 characters fill the 259 a path may have; one more is refused, not cut.
  std::wstring fits(240, L'f');
  EXPECT_EQ(S_OK, MakeReportPath(fits.c_str(), 1234, path, name));
  EXPECT_EQ(259u, wcslen(path));
  std::wstring tooLong(241, L'f');
  EXPECT_EQ(static_cast<HRESULT>(0x800700CE), MakeReportPath(tooLong.c_str(), 1234, path, name));
  EXPECT_STREQ(L"", path);
  EXPECT_STREQ(L"", name);
  EXPECT_EQ(static_cast<HRESULT>(0x800700CE), GetReportFolder(folder, 10));
  EXPECT_STREQ(L"", folder);
}

}  // namespace
