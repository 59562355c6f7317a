// The monitor thread's other events: a deadlock request from another process and
// the end of the parent process.
#include <gtest/gtest.h>

#include <string>

#include "pipeline_folder.h"

using namespace testing_support;

namespace {

std::wstring DeadlockEventName(DWORD processId) { return L"Deadlock" + std::to_wstring(processId) + L".qvrp"; }

TEST(MonitorEvents, DeadlockRequestInLimitedModeFilesKindZero) {
  PipelineFolder folder;
  LiveChild host;
  ASSERT_TRUE(folder.Start(host, L"coinit init:1 sleep:30000 exit:5"));
  ASSERT_TRUE(WaitForNamedEvent(DeadlockEventName(host.Id()), 15000)) << host.Output();
  HANDLE request = OpenEventW(EVENT_MODIFY_STATE, FALSE, DeadlockEventName(host.Id()).c_str());
  ASSERT_NE(nullptr, request);
  SetEvent(request);
  CloseHandle(request);

  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(15000, &exitCode)) << host.Output();
  EXPECT_EQ(0u, exitCode) << "ended by the report, not by its own exit:5";
  std::vector<uint8_t> file = ReadFileBytes(ReportPath(host.Id()));
  ASSERT_GE(file.size(), 9600u);
  EXPECT_EQ(1u, file[9]) << "limited mode recorded";
  EXPECT_EQ(0u, U32At(file, 2412));
  ASSERT_EQ(1u, folder.ClientCommandLines().size());
  EXPECT_NE(std::string::npos, folder.ClientCommandLines()[0].find(Narrow(ReportName(host.Id()))));
}

TEST(MonitorEvents, OutsideLimitedModeThereIsNoDeadlockEvent) {
  PipelineFolder folder;
  LiveChild host;
  ASSERT_TRUE(folder.Start(host, L"coinit init:0 hold:20000 shutdown"));
  ASSERT_TRUE(host.WaitForOutput("init:0 0x", 15000));
  EXPECT_EQ(0ul, host.Value("init:0"));
  HANDLE request = OpenEventW(SYNCHRONIZE, FALSE, DeadlockEventName(host.Id()).c_str());
  EXPECT_EQ(nullptr, request);
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  if (request) CloseHandle(request);
  ASSERT_TRUE(ReleaseHold(host.Id()));
  EXPECT_TRUE(host.WaitForExit(10000));
}

// The test starts a middle process, which starts the host and ends once the host
// is ready: the host's parent is gone. In the second case the host changes its
// watched list (restarting the monitor thread) after that: the new thread still
// knows the parent has gone.
TEST(MonitorEvents, ParentEndsThenHostAndWatchedProcessesEndAboutTenSecondsLater) {
  struct Case {
    const char* name;
    const wchar_t* steps;
    DWORD minMs;
    DWORD maxMs;
  } cases[] = {
      {"nothing else happens", L"spawn:wait coinit init:0 child:60000:0 ready sleep:60000 exit:5", 8000, 22000},
      {"the watched list changes 3 s later",
       L"spawn:wait coinit init:0 ready sleep:3000 child:60000:0 sleep:60000 exit:5", 11000, 25000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineFolder folder;
    LiveChild middle;
    ASSERT_TRUE(folder.Start(middle, c.steps));
    ASSERT_TRUE(middle.WaitForOutput("spawned ", 10000));
    const DWORD hostId = middle.Value("spawned");
    folder.ForgetReportsOf(hostId);
    HANDLE host = middle.Adopt(hostId);
    ASSERT_NE(nullptr, host);
    ASSERT_TRUE(middle.WaitForExit(20000)) << middle.Output();
    const DWORD parentGone = GetTickCount();
    EXPECT_EQ(0ul, middle.Value("init:0")) << middle.Output();
    ASSERT_TRUE(middle.WaitForOutput("child:60000:0 0x", 10000)) << middle.Output();
    HANDLE watched = middle.Adopt(middle.Value("child"));
    ASSERT_NE(nullptr, watched);

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(host, 40000)) << middle.Output();
    const DWORD after = GetTickCount() - parentGone;
    EXPECT_GE(after, c.minMs);
    EXPECT_LE(after, c.maxMs);
    DWORD exitCode = 0xFFFFFFFF;
    GetExitCodeProcess(host, &exitCode);
    EXPECT_EQ(0u, exitCode);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watched, 2000));
    GetExitCodeProcess(watched, &exitCode);
    EXPECT_EQ(0u, exitCode);

    std::vector<uint8_t> file = ReadFileBytes(ReportPath(hostId));
    ASSERT_GE(file.size(), 9600u) << "the file is kept";
    EXPECT_EQ(0u, U32At(file, 2412));
    EXPECT_TRUE(folder.ClientCommandLines().empty()) << "no report, no client";
  }
}

}  // namespace
