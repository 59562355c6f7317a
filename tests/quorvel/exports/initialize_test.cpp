// The initialization sequences as a host sees them, each in a child process of its
// own (the configuration and the reporter are process-wide).
#include <gtest/gtest.h>

#include <string>

#include "config/fixtures.h"
#include "exports/host_folder.h"
#include "quorvel.h"
#include "reporter.h"

namespace {

constexpr unsigned long kBlank = 0x80040007;
constexpr unsigned long kNotFound = 0x80070002;
constexpr unsigned long kInvalidArg = 0x80070057;

const std::string kEnabled = ConfigWithRuntime("<enabled>true</enabled>");
const std::string kDisabled = ConfigWithRuntime("<enabled>false</enabled>");

TEST(Initialize, ResultsBeforeTheReportFileExists) {
  struct Case {
    const char* name;
    const std::string* config;  // null: none
    bool client;
    const wchar_t* steps;
    const char* step;
    unsigned long expected;
  } cases[] = {
      {"no configuration", nullptr, true, L"coinit init:0", "init:0", kNotFound},
      {"disabled", &kDisabled, true, L"coinit init:0", "init:0", 1},
      {"no user-interface program", &kEnabled, false, L"coinit init:0", "init:0", kNotFound},
      {"no COM on the thread", &kEnabled, true, L"init:0", "init:0", 0x800401F0},
  };
  for (const Case& c : cases) {
    HostFolder host;
    if (c.config) host.PutConfig(*c.config);
    if (c.client) host.PutClient();
    auto run = host.Run(c.steps);
    ASSERT_TRUE(run.started) << c.name;
    EXPECT_EQ(0u, run.exitCode) << c.name << "\n" << run.output;
    EXPECT_EQ(c.expected, StepResult(run.output, c.step)) << c.name << "\n" << run.output;
  }
}

TEST(Initialize, DisabledReporterAnswersBlankAndDoesNotEndTheProcess) {
  HostFolder host;
  host.PutConfig(kDisabled);
  auto run = host.Run(L"coinit init:0 addtext:hello abort:bye filter shutdown");
  EXPECT_EQ(0u, run.exitCode) << run.output;
  EXPECT_EQ(1ul, StepResult(run.output, "init:0"));
  EXPECT_EQ(kBlank, StepResult(run.output, "addtext:hello"));
  EXPECT_EQ(kBlank, StepResult(run.output, "abort:bye"));
  EXPECT_EQ(1ul, StepResult(run.output, "filter"));
  EXPECT_EQ(0ul, StepResult(run.output, "shutdown"));
}

TEST(Initialize, ShutdownAsFirstCallReturnsAndLaterCallsStillWork) {
  HostFolder host;
  auto run = host.Run(L"shutdown addtext:x shutdown");
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ(kBlank, StepResult(run.output, "addtext:x"));
}

TEST(Initialize, ConfigurationIsFoundBesideTheHostOrBetweenItAndX86) {
  struct Case {
    const wchar_t* hostIn;
    const wchar_t* configIn;
    unsigned long expected;
  } cases[] = {
      {L"", L"x86", 1},       // host in F, file in F\x86
      {L"x86", L"", 1},       // host in F\x86, file in F (the root)
      {L"x86", L"x86", 1},    // beside the host
      {L"", L"other", kNotFound},
  };
  for (const Case& c : cases) {
    HostFolder host(c.hostIn);
    std::wstring where = c.configIn;  // "" is the folder's root
    if (where.empty()) {
      testing_support::WriteTextFile(host.Root() + L"\\QuorvelConfig.xml", kDisabled);
    } else {
      host.PutConfig(kDisabled, where);
    }
    auto run = host.Run(L"coinit init:0");
    EXPECT_EQ(c.expected, StepResult(run.output, "init:0")) << testing_support::Narrow(c.hostIn) << " / "
                                                            << testing_support::Narrow(c.configIn);
  }
}

TEST(Initialize, ShutdownLevelIsLoweredOnceOutsideLimitedMode) {
  struct Case {
    const wchar_t* steps;
    unsigned long level;
    unsigned long flags;
  } cases[] = {
      {L"coinit setlevel:0x280 init:0 level", 0x27F, SHUTDOWN_NORETRY},
      {L"coinit setlevel:0x280 init:0x100 level", 0x27F, SHUTDOWN_NORETRY},  // only the low byte counts
      {L"coinit setlevel:0x280 init:1 level", 0x280, 0},
      {L"coinit setlevel:0x100 init:0 level", 0x100, 0},
  };
  for (const Case& c : cases) {
    HostFolder host;
    host.PutConfig(kEnabled);
    host.PutClient();
    auto run = host.Run(c.steps);
    EXPECT_EQ(c.level, StepResult(run.output, "level")) << run.output;
    EXPECT_EQ(c.flags, StepResult(run.output, "flags")) << run.output;
  }
  // A disabled configuration stops before the level is touched.
  HostFolder host;
  host.PutConfig(kDisabled);
  auto run = host.Run(L"coinit setlevel:0x280 init:0 level");
  EXPECT_EQ(0x280ul, StepResult(run.output, "level"));
}

TEST(InitializeNoCrash, FolderChecks) {
  HostFolder host;
  std::wstring folder = host.Root() + L"\\install";
  host.PutConfig(kEnabled, L"install");
  std::wstring longFolder(260, L'f');
  struct Case {
    std::wstring steps;
    std::string step;
    unsigned long expected;
  } cases[] = {
      {L"coinit initncnull:0", "initncnull:0", kInvalidArg},                  // null folder
      {L"coinit initnc:0:" + longFolder, "initnc:0:" + testing_support::Narrow(longFolder), kInvalidArg},
      {L"coinit initnc:0:" + folder, "initnc:0:" + testing_support::Narrow(folder), kNotFound},  // no client
      {L"coinit initnc:0:" + host.Root(), "initnc:0:" + testing_support::Narrow(host.Root()), kNotFound},
  };
  for (const Case& c : cases) {
    auto run = host.Run(c.steps);
    EXPECT_EQ(c.expected, StepResult(run.output, c.step)) << run.output;
  }

  // A folder and program name that together do not fit are refused, not cut.
  std::string longExe(250, 'c');
  host.PutConfig(ConfigWithRuntime("<enabled>true</enabled><userinterfaceExe>" + longExe + ".exe</userinterfaceExe>"),
                 L"install");
  auto run = host.Run(L"coinit initnc:0:" + folder);
  EXPECT_EQ(kInvalidArg, StepResult(run.output, "initnc:0:" + testing_support::Narrow(folder)));

  host.PutConfig(kDisabled, L"install");
  run = host.Run(L"coinit initnc:0:" + folder);
  EXPECT_EQ(1ul, StepResult(run.output, "initnc:0:" + testing_support::Narrow(folder)));
}

// In this process: the options block is stored before the initialization runs,
// whatever it returns (no configuration lies beside the test program).
TEST(InitializeWithOptions, StoresTheOptionsBlockWhateverTheResult) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  EXPECT_EQ(static_cast<HRESULT>(kNotFound), Quorvel_InitializeWithOptions(0, 0x107, nullptr));
  CReporter* reporter = reporterInstance;
  ASSERT_NE(nullptr, reporter);
  EXPECT_EQ(1, reporter->optionsBlock.optionsGiven);
  EXPECT_EQ(7, reporter->optionsBlock.optionValue);
  EXPECT_STREQ(L"", reporter->optionsBlock.optionText);

  std::wstring longText(1500, L'o');
  Quorvel_InitializeWithOptions(0, 2, longText.c_str());
  EXPECT_EQ(1023u, wcslen(reporter->optionsBlock.optionText));
  EXPECT_EQ(2, reporter->optionsBlock.optionValue);
  Quorvel_Shutdown();
  EXPECT_EQ(nullptr, reporterInstance);
  CoUninitialize();
}

TEST(FormattingExports, OverlongTextsAreCutNotOverflowed) {
  // Before initialization the reports answer "blank"; the texts are formatted first
  // and must not overflow their fixed buffers on the way.
  std::wstring huge(10000, L'x');
  EXPECT_EQ(static_cast<HRESULT>(kBlank), Quorvel_UserAbort(L"%s", huge.c_str()));
  EXPECT_EQ(static_cast<HRESULT>(kBlank), Quorvel_InstallFail(L"%s%s", huge.c_str(), huge.c_str()));
  EXPECT_EQ(static_cast<HRESULT>(kBlank), Quorvel_AddText(L"%s", huge.c_str()));
  Quorvel_Shutdown();
}

}  // namespace
