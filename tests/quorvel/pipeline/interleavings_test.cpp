// Interleavings of a report with the monitor thread that must not hang: the
// report in progress wins and the process ends. pipeline_core_host holds
// reporterLock on its main thread ("lock") to put the monitor thread exactly where
// timing alone would rarely put it.
#include <gtest/gtest.h>

#include <string>

#include "pipeline_folder.h"

using namespace testing_support;

namespace {

struct Outcome {
  bool ended = false;
  DWORD exitCode = 0xFFFFFFFF;
  std::vector<uint8_t> file;
};

Outcome RunToTheEnd(PipelineFolder& folder, LiveChild& host, const std::wstring& steps, DWORD timeoutMs = 20000) {
  Outcome outcome;
  if (!folder.Start(host, steps)) return outcome;
  outcome.ended = host.WaitForExit(timeoutMs, &outcome.exitCode);
  outcome.file = ReadFileBytes(ReportPath(host.Id()));
  return outcome;
}

// A watched process ends while the main thread holds the lock; the monitor
// thread's handler waits for it. Then the main thread files a user abort, which
// needs the monitor thread to run the client.
TEST(Interleavings, HandlerWaitingForTheLockServesAReportThatHoldsIt) {
  PipelineFolder folder(true);
  LiveChild host;
  Outcome outcome = RunToTheEnd(folder, host, L"coinit init:0 child:500:3 lock sleep:3000 abort:wins sleep:20000 exit:5");
  ASSERT_TRUE(outcome.ended) << "hung:\n" << host.Output();
  EXPECT_EQ(0u, outcome.exitCode) << host.Output();
  EXPECT_EQ(4u, U32At(outcome.file, 2412)) << "the user abort won";
  EXPECT_EQ(L"wins", WideAt(outcome.file, 2416, 3072));
  EXPECT_EQ(1u, folder.ClientCommandLines().size());
}

// The same handler waiting for the lock while the lock's holder stops the monitor
// thread to change the watched list: the thread gives up, the new one reports.
TEST(Interleavings, ChangingTheWatchedListWhileAHandlerWaitsForTheLock) {
  PipelineFolder folder(true);
  LiveChild host;
  Outcome outcome = RunToTheEnd(
      folder, host, L"coinit init:0 child:500:3 child:60000:0 lock sleep:3000 unwatchchild:2 unlock sleep:20000 exit:5");
  const std::string output = host.Output();
  host.Adopt(strtoul(output.c_str() + output.rfind("\nchild ") + 7, nullptr, 10));  // unwatched: ours to end
  ASSERT_TRUE(outcome.ended) << "hung:\n" << output;
  EXPECT_EQ(0u, outcome.exitCode) << output;
  EXPECT_EQ(0ul, host.Value("unwatchchild:2"));
  EXPECT_EQ(3u, U32At(outcome.file, 2412));
  EXPECT_EQ(host.Value("child"), U32At(outcome.file, 2416));
  EXPECT_EQ(3u, U32At(outcome.file, 2940));
}

// The host's own vectored handler sees the monitor thread's debug output (an
// exception on that thread) and calls the library from there.
TEST(Interleavings, CallsFromTheMonitorThreadItself) {
  {
    SCOPED_TRACE("a report filed on the monitor thread runs the client there");
    PipelineFolder folder;
    LiveChild host;
    Outcome outcome = RunToTheEnd(folder, host, L"coinit init:0 onmonitor:report watchself:1 sleep:20000 exit:5");
    ASSERT_TRUE(outcome.ended) << "hung:\n" << host.Output();
    EXPECT_EQ(0u, outcome.exitCode) << host.Output();
    EXPECT_EQ(1u, U32At(outcome.file, 2412));
    const uint32_t code = U32At(outcome.file, 2416);
    EXPECT_TRUE(code == 0x4001000Au || code == 0x40010006u) << "the debug output's exception: " << code;
    EXPECT_EQ(host.Value("monitor-thread"), U32At(outcome.file, 2616));
    EXPECT_EQ(1u, folder.ClientCommandLines().size());
  }
  {
    SCOPED_TRACE("the monitor thread cannot restart itself");
    PipelineFolder folder;
    LiveChild host;
    Outcome outcome = RunToTheEnd(folder, host, L"coinit init:0 onmonitor:watch watchself:1 sleep:1000 shutdown");
    ASSERT_TRUE(outcome.ended) << "hung:\n" << host.Output();
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ(0x8007046Bul, host.Value("from-monitor")) << host.Output();
  }
}

// RunClient cannot start the user-interface program: the process still ends with
// exit code 0 and keeps its report. In the second case the host's handler files
// another report from the monitor thread while it hands the first one over.
TEST(Interleavings, ClientThatCannotBeStartedStillEndsTheProcess) {
  struct Case {
    const char* name;
    const wchar_t* steps;
  } cases[] = {
      {"client missing", L"coinit init:0 delete:QuorvelClient.exe abort:kept sleep:20000 exit:5"},
      {"and a report filed during the hand-off",
       L"coinit init:0 delete:QuorvelClient.exe onmonitor:report abort:kept sleep:20000 exit:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineFolder folder;
    LiveChild host;
    Outcome outcome = RunToTheEnd(folder, host, c.steps);
    ASSERT_TRUE(outcome.ended) << "hung:\n" << host.Output();
    EXPECT_EQ(0u, outcome.exitCode) << host.Output();
    EXPECT_EQ(4u, U32At(outcome.file, 2412));
    EXPECT_EQ(L"kept", WideAt(outcome.file, 2416, 3072));
    if (host.Output().find("monitor-thread") != std::string::npos) {
      EXPECT_EQ(1ul, host.Value("from-monitor")) << "nothing filed: a report is already being handed over";
    }
  }
}

// No monitor thread runs (its wait failed, or initialization stopped after the
// report file): a report still reaches the client, through a client runner.
TEST(Interleavings, ReportWithoutAMonitorThreadStillReachesTheClient) {
  PipelineFolder folder(true);
  LiveChild host;
  Outcome outcome = RunToTheEnd(folder, host, L"coinit init:0 stopmonitor abort:orphan sleep:20000 exit:5");
  ASSERT_TRUE(outcome.ended) << "hung:\n" << host.Output();
  EXPECT_EQ(0u, outcome.exitCode) << host.Output();
  EXPECT_EQ(4u, U32At(outcome.file, 2412));
  EXPECT_EQ(L"orphan", WideAt(outcome.file, 2416, 3072));
  EXPECT_EQ(1u, folder.ClientCommandLines().size());
}

}  // namespace
