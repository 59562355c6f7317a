// Real crashes of a child host, end to end: the trap files the report through the
// report pipeline and the client, and the process ends. The report file is read at
// literal offsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "crash_run.h"

namespace {

using namespace offsets;

constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kStackOverflow = 0xC00000FD;

std::string Rule(const char* list, const char* attributes) {
  return std::string("<") + list + "><unmanaged " + attributes + "/></" + list + ">";
}
std::string Include(const char* attributes) { return Rule("includeExceptions", attributes); }
std::string Exclude(const char* attributes) { return Rule("excludeExceptions", attributes); }

// The process ended through the report: exit code 0 and a crash record; the real
// client ran once and read the same report from the live process.
void ExpectCrashReport(const CrashRun& run, uint32_t code, const std::string& what) {
  EXPECT_FALSE(run.child.timedOut) << what << run.child.output;
  EXPECT_EQ(0u, run.child.exitCode) << what << run.child.output;
  ASSERT_GT(run.report.size(), 3200u) << what;
  EXPECT_EQ(1u, run.U32(kReportKind)) << what;
  EXPECT_EQ(code, run.U32(kExceptionCode)) << what;
  if (!run.realClient) return;
  EXPECT_EQ(1u, run.clientRuns.size()) << what;
  char codeText[32];
  snprintf(codeText, sizeof(codeText), "0x%08X", code);
  EXPECT_NE(std::string::npos, run.clientText.find("Report kind 1: crash")) << what << run.clientText;
  EXPECT_NE(std::string::npos, run.clientText.find(codeText)) << what << run.clientText;
}

// The process ended without a report: by its own end, or by the fault itself.
void ExpectNoReport(const CrashRun& run, DWORD exitCode, const std::string& what) {
  EXPECT_FALSE(run.child.timedOut) << what << run.child.output;
  EXPECT_EQ(exitCode, run.child.exitCode) << what << run.child.output;
  ASSERT_FALSE(run.report.empty()) << what << ": initialization failed\n" << run.child.output;
  EXPECT_EQ(0u, run.U32(kReportKind)) << what;
  EXPECT_TRUE(run.clientRuns.empty()) << what;
}

// A write to address 0x10, on the main thread and on a second one: nothing handles
// it (depth 0), so the frontstop reports it at first chance.
TEST(CrashEndToEnd, AccessViolationRecordsTheExceptionTheRegistersAndTheModule) {
  const struct {
    const char* what;
    const wchar_t* steps;
    size_t faultingThread;  // index among the "thread" lines
  } cases[] = {{"main thread", L"coinit init:0 av", 0}, {"second thread", L"coinit init:0 thread:av", 1}};
  for (const auto& c : cases) {
    CrashRun run = RunCrashHost(CrashConfig(), c.steps, Client::kReal);
    ExpectCrashReport(run, kAccessViolation, c.what);
    if (run.report.size() < 3200) continue;
    EXPECT_EQ(2u, run.U32(kNumberParameters)) << c.what;
    EXPECT_EQ(1u, run.U64(kExceptionInformation)) << c.what << ": a write";
    EXPECT_EQ(0x10u, run.U64(kExceptionInformation + 8)) << c.what;
    const uint64_t address = run.U64(kExceptionAddress);
    EXPECT_EQ(0u, address >> 32) << c.what;
    EXPECT_EQ(address, run.U64(kEip)) << c.what;
    EXPECT_EQ(0x10u, run.U64(kEax)) << c.what;
    EXPECT_EQ(0x11111111u, run.U64(kEbx)) << c.what;
    EXPECT_EQ(0x44444444u, run.U64(kEcx)) << c.what;
    EXPECT_EQ(0x55555555u, run.U64(kEdx)) << c.what;
    EXPECT_EQ(0x22222222u, run.U64(kEsi)) << c.what;
    EXPECT_EQ(0x33333333u, run.U64(kEdi)) << c.what;
    EXPECT_NE(0u, run.U64(kEsp)) << c.what;
    EXPECT_EQ(0u, run.U64(kEsp) >> 32) << c.what;
    const std::vector<unsigned long> threads = run.AllPrinted("thread");
    ASSERT_GT(threads.size(), c.faultingThread) << c.what;
    EXPECT_EQ(threads[c.faultingThread], run.U32(kThreadId)) << c.what;
    EXPECT_EQ(run.hostPath, run.Text(kFaultModulePath, 260)) << c.what;
    EXPECT_EQ(run.Printed("base"), run.U64(kFaultModuleBase)) << c.what;
    // The process ended during the hand-off, before the pointer was cleared.
    EXPECT_NE(0u, run.U64(kExceptionPointers)) << c.what;
  }
}

// Addresses at or above 0x80000000 are sign-extended where the layout says so; an
// address outside every image names no module, where the module lookup for a null
// base would have named the host.
TEST(CrashEndToEnd, JumpsOutsideEveryImage) {
  const struct {
    const char* what;
    const wchar_t* steps;
    uint32_t target;
  } cases[] = {{"above 2 GB", L"coinit init:0 jump:0x80001234", 0x80001234},
               {"to address 0x10", L"coinit init:0 jump:0x10", 0x10}};
  for (const auto& c : cases) {
    CrashRun run = RunCrashHost(CrashConfig(), c.steps);
    ExpectCrashReport(run, kAccessViolation, c.what);
    if (run.report.size() < 3200) continue;
    const uint64_t signExtended = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(c.target)));
    EXPECT_EQ(signExtended, run.U64(kExceptionAddress)) << c.what;
    EXPECT_EQ(c.target, run.U64(kEip)) << c.what << ": zero-extended";
    EXPECT_EQ(L"", run.Text(kFaultModulePath, 260)) << c.what;
    EXPECT_EQ(0u, run.U64(kFaultModuleBase)) << c.what;
  }
}

// A rule naming the host's module covers faults inside it, and only those.
TEST(CrashEndToEnd, RuleNamingTheHostModuleDoesNotCoverAddressesOutsideEveryImage) {
  const std::string config = CrashConfig(Exclude("first=\"0xC0000005\" module=\"CRASH_HOST\""));
  ExpectNoReport(RunCrashHost(config, L"coinit init:0 av"), kAccessViolation, "fault in the host");
  ExpectCrashReport(RunCrashHost(config, L"coinit init:0 jump:0x10"), kAccessViolation, "jump to 0x10");
}

TEST(CrashEndToEnd, OtherKindsOfFault) {
  const struct {
    const char* what;
    const wchar_t* steps;
    uint32_t code;
    size_t faultingThread;
  } cases[] = {
      {"integer divide by zero", L"coinit init:0 div0", 0xC0000094, 0},
      {"illegal instruction", L"coinit init:0 illegal", 0xC000001D, 0},
      {"software exception nobody handles", L"coinit init:0 raise:0xE0000042", 0xE0000042, 0},
      {"stack overflow, main thread", L"coinit init:0 overflow", kStackOverflow, 0},
      {"stack overflow, second thread", L"coinit init:0 thread:overflow", kStackOverflow, 1},
  };
  for (const auto& c : cases) {
    CrashRun run = RunCrashHost(CrashConfig(), c.steps, Client::kReal);
    ExpectCrashReport(run, c.code, c.what);
    if (run.report.size() < 3200) continue;
    const std::vector<unsigned long> threads = run.AllPrinted("thread");
    ASSERT_GT(threads.size(), c.faultingThread) << c.what;
    EXPECT_EQ(threads[c.faultingThread], run.U32(kThreadId)) << c.what << ": the faulting thread filed it";
    EXPECT_EQ(run.U64(kExceptionAddress), run.U64(kEip)) << c.what;
  }
}

// Four threads fault at the same moment: one report; the others wait on the
// reporter lock until the process ends, so none of their faults ends it first.
TEST(CrashEndToEnd, SeveralThreadsFaultingAtOnceFileOneReport) {
  CrashRun run = RunCrashHost(CrashConfig(), L"coinit init:0 together:4:av", Client::kReal);
  ExpectCrashReport(run, kAccessViolation, "four threads");
  std::vector<unsigned long> threads = run.AllPrinted("thread");
  ASSERT_EQ(5u, threads.size());
  EXPECT_NE(threads.end(), std::find(threads.begin() + 1, threads.end(), run.U32(kThreadId)));
}

// The debugger-output routine raises an exception and handles it itself. Under one
// frame handler of the host's, the chain is two records deep when it does.
TEST(CrashEndToEnd, DebuggerOutputIsNoCrash) {
  for (const wchar_t* steps : {L"coinit init:0 debugout:hello", L"coinit init:0 thread:debugout:hello"}) {
    CrashRun run = RunCrashHost(CrashConfig(), steps);
    ExpectNoReport(run, kRanToTheEnd, "debug output");
    EXPECT_EQ(1u, run.Printed("debugout:hello"));
  }
}

TEST(CrashEndToEnd, ExcludeRuleSilencesTheExceptionForEveryTrap) {
  const std::string config = CrashConfig(Exclude("first=\"0xC0000005\""));
  ExpectNoReport(RunCrashHost(config, L"coinit init:0 av"), kAccessViolation, "main thread");
  ExpectNoReport(RunCrashHost(config, L"coinit init:0 thread:av"), kAccessViolation, "second thread");
}

// The host raises an exception under a frame handler of its own that dismisses it.
TEST(CrashEndToEnd, IncludeRuleReportsAtFirstChanceWhatTheHostWouldHandle) {
  CrashRun handled = RunCrashHost(CrashConfig(), L"coinit init:0 handled:0xE0000001");
  ExpectNoReport(handled, kRanToTheEnd, "no rule");
  EXPECT_EQ(1u, handled.Printed("handled:0xE0000001"));

  CrashRun included =
      RunCrashHost(CrashConfig(Include("first=\"0xE0000001\" where=\"front\"")), L"coinit init:0 handled:0xE0000001");
  ExpectCrashReport(included, 0xE0000001, "include rule");
}

TEST(CrashEndToEnd, TrapBypass) {
  const std::string include = CrashConfig(Include("first=\"0xE0000001\""));
  const struct {
    const char* what;
    const std::string* config;
    const wchar_t* steps;
    bool reported;
    DWORD exitCodeOtherwise;
  } cases[] = {
      {"A's own fault during its bypass", nullptr, L"coinit init:0 bypass av", false, kAccessViolation},
      {"B's fault while A is bypassed: the unhandled trap", nullptr, L"coinit init:0 hold:bypass thread:av", true, 0},
      {"no first-chance report on B while A is bypassed", &include,
       L"coinit init:0 hold:bypass handled:0xE0000001", false, kRanToTheEnd},
      {"two starts and one end leave A bypassed", nullptr, L"coinit init:0 bypass bypass endbypass av", false,
       kAccessViolation},
      {"the second end makes A trapped again", &include,
       L"coinit init:0 bypass bypass endbypass endbypass handled:0xE0000001", true, 0},
  };
  const std::string plain = CrashConfig();
  for (const auto& c : cases) {
    CrashRun run = RunCrashHost(c.config ? *c.config : plain, c.steps);
    if (c.reported) {
      ExpectCrashReport(run, run.U32(kExceptionCode), c.what);
    } else {
      ExpectNoReport(run, c.exitCodeOtherwise, c.what);
    }
  }
  // The thread that filed B's report is B, not A.
  CrashRun run = RunCrashHost(plain, L"coinit init:0 hold:bypass thread:av");
  std::vector<unsigned long> threads = run.AllPrinted("thread");
  ASSERT_EQ(3u, threads.size());
  EXPECT_EQ(threads[2], run.U32(kThreadId));
}

// The backstop runs only where the system calls continue handlers after a frame
// handler dismissed an exception; its decisions are tested directly as well.
TEST(CrashEndToEnd, BackstopReportsAnExceptionTheHostDismissed) {
  CrashRun probe = RunCrashHost(CrashConfig(), L"continuecheck");
  if (probe.Printed("continuecheck") != 1) {
    GTEST_SKIP() << "this system (Wine 8 here) calls no vectored continue handler after a frame handler "
                    "dismissed an exception, so the backstop never runs";
  }
  CrashRun run =
      RunCrashHost(CrashConfig(Include("first=\"0xE0000001\" where=\"back\"")), L"coinit init:0 handled:0xE0000001");
  ExpectCrashReport(run, 0xE0000001, "include rule for the back");
}

TEST(CrashEndToEnd, HostFilterInstalledAfterInitializationSurvivesShutdown) {
  CrashRun run = RunCrashHost(CrashConfig(), L"coinit init:0 hostfilter shutdown filter raise:0xE0000042");
  EXPECT_EQ(1u, run.Printed("filter"));
  EXPECT_EQ(0xE0000042u, run.Printed("hostfilter-ran"));
  EXPECT_TRUE(run.report.empty()) << "shutdown deleted the report file";

  CrashRun without = RunCrashHost(CrashConfig(), L"coinit init:0 shutdown filter");
  EXPECT_EQ(0u, without.Printed("filter"));
}

// The initialization without traps leaves the host's exception handling alone, even
// after a bypass, whose end must not put a frontstop in place.
TEST(CrashEndToEnd, BypassAfterInitializationWithoutTrapsInstallsNothing) {
  ExpectNoReport(RunCrashHost(CrashConfig(), L"coinit initnc:0 bypass endbypass av"), kAccessViolation,
                 "no-crash initialization");
}

// "stackOverflowOnly" (forced by limited mode) limits the frontstop: a handled
// exception under an include rule goes by, a stack overflow is still reported, and
// the unhandled trap still reports everything else.
TEST(CrashEndToEnd, StackOverflowOnlyAndLimitedMode) {
  const std::string soo = CrashConfig("<stackOverflowOnly>true</stackOverflowOnly>" + Include("first=\"0xE0000001\""));
  const std::string limited = CrashConfig(Include("first=\"0xE0000001\""));
  const struct {
    const char* what;
    const std::string* config;
    const wchar_t* steps;
    uint32_t reportedCode;  // 0: no report, the host runs to its end
  } cases[] = {
      {"handled exception under an include rule", &soo, L"coinit init:0 handled:0xE0000001", 0},
      {"stack overflow", &soo, L"coinit init:0 thread:overflow", kStackOverflow},
      {"unhandled access violation", &soo, L"coinit init:0 av", kAccessViolation},
      {"limited mode, handled exception under an include rule", &limited, L"coinit init:1 handled:0xE0000001", 0},
      {"limited mode, stack overflow", &limited, L"coinit init:1 overflow", kStackOverflow},
  };
  for (const auto& c : cases) {
    CrashRun run = RunCrashHost(*c.config, c.steps);
    if (c.reportedCode == 0) {
      ExpectNoReport(run, kRanToTheEnd, c.what);
    } else {
      ExpectCrashReport(run, c.reportedCode, c.what);
    }
  }
}

}  // namespace
