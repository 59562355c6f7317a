// Every report kind a host files through the exports, end to end in a child host:
// the report lands in the file at its literal offsets, the client is started with
// exactly the report file's name and writes its readable report, the host ends
// with exit code 0 and the file stays on disk.
#include <gtest/gtest.h>

#include <string>

#include "pipeline_folder.h"

using namespace testing_support;

namespace {

std::wstring Generated(size_t count) {
  std::wstring text;
  for (size_t i = 0; i < count; ++i) text.push_back(static_cast<wchar_t>(L'0' + i % 10));
  return text;
}

std::string ExpectedClientCommand(const PipelineFolder& folder, DWORD hostId) {
  return "\"" + Narrow(folder.Dir() + L"\\QuorvelClient.exe") + "\" " + Narrow(ReportName(hostId));
}

std::string FileText(const std::wstring& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

struct TextField {
  size_t offset;
  size_t capacity;  // characters
  std::wstring expected;
};

TEST(ReportKinds, TextReportsAreCutToTheirFieldsAndReachTheClient) {
  struct Case {
    const char* name;
    const wchar_t* step;
    uint32_t kind;
    std::vector<TextField> fields;
  } cases[] = {
      {"user abort of 5000 characters", L"abortn:5000", 4, {{2416, 3072, Generated(3071)}}},
      {"install failure of 1500 characters", L"installn:1500", 5, {{2416, 1001, Generated(1000)}}},
      {"managed exception without third and fourth text",
       L"managed:System.NullReferenceException:at_Program.Main()",
       2,
       {{2416, 256, L"System.NullReferenceException"}, {2928, 1024, L"at_Program.Main()"}, {4976, 256, L""},
        {5488, 1024, L""}}},
      {"managed exception with no texts at all: filed with empty texts", L"managednull", 2,
       {{2416, 256, L""}, {2928, 1024, L""}, {4976, 256, L""}, {5488, 1024, L""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineFolder folder;
    LiveChild host;
    ASSERT_TRUE(folder.Start(host, std::wstring(L"coinit init:0 ") + c.step + L" sleep:20000 exit:5"));
    DWORD exitCode = 0xFFFFFFFF;
    ASSERT_TRUE(host.WaitForExit(20000, &exitCode)) << host.Output();
    EXPECT_EQ(0u, exitCode) << host.Output();
    EXPECT_EQ(0ul, host.Value("init:0")) << host.Output();

    std::vector<uint8_t> file = ReadFileBytes(ReportPath(host.Id()));
    ASSERT_GE(file.size(), 9600u) << "the report file stays on disk";
    EXPECT_EQ(host.Id(), U32At(file, 12));
    EXPECT_EQ(c.kind, U32At(file, 2412));
    for (const TextField& field : c.fields) {
      EXPECT_EQ(field.expected, WideAt(file, field.offset, field.capacity)) << "at offset " << field.offset;
    }
    std::vector<std::string> commands = folder.ClientCommandLines();
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(ExpectedClientCommand(folder, host.Id()), commands[0]);
    std::string json = FileText(ClientOutput(host.Id(), L".json"));
    EXPECT_NE(std::string::npos, json.find("\"kind\": " + std::to_string(c.kind))) << json;
    EXPECT_NE(std::string::npos, FileText(ClientOutput(host.Id(), L".txt")).find("Report kind")) << "text report";
  }
}

// A real access violation, filed from the host's vectored handler.
TEST(ReportKinds, CrashRecordAndMinidumpOfTheLiveProcess) {
  PipelineFolder folder;
  LiveChild host;
  ASSERT_TRUE(folder.Start(host, L"coinit init:0 crash"));
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(30000, &exitCode)) << host.Output();
  EXPECT_EQ(0u, exitCode) << host.Output();
  const DWORD threadId = host.Value("thread");
  const DWORD base = host.Value("base");

  std::vector<uint8_t> file = ReadFileBytes(ReportPath(host.Id()));
  ASSERT_GE(file.size(), 9600u);
  EXPECT_EQ(1u, U32At(file, 2412));
  EXPECT_EQ(0xC0000005u, U32At(file, 2416));
  EXPECT_EQ(2u, U32At(file, 2432)) << "numberParameters";
  EXPECT_EQ(1u, U64At(file, 2440)) << "a write";
  EXPECT_EQ(0u, U64At(file, 2448)) << "at address 0";
  const uint64_t address = U64At(file, 2424);
  EXPECT_NE(0u, address);
  EXPECT_EQ(address, U64At(file, 2472)) << "Eip is where the fault happened";
  EXPECT_EQ(threadId, U32At(file, 2616));
  EXPECT_NE(0u, U64At(file, 2608)) << "exceptionPointers still set: the process ended during the hand-off";
  std::wstring module = WideAt(file, 2620, 260);
  EXPECT_EQ(folder.HostPath().size(), module.size()) << Narrow(module);
  EXPECT_EQ(0, _wcsicmp(folder.HostPath().c_str(), module.c_str())) << Narrow(module);
  EXPECT_EQ(base, U64At(file, 3144));
  ASSERT_EQ(1u, folder.ClientCommandLines().size());

  std::string json = FileText(ClientOutput(host.Id(), L".json"));
  ASSERT_NE(std::string::npos, json.find("\"exceptionCode\": \"0xC0000005\"")) << json;
  std::vector<uint8_t> dump = ReadFileBytes(ClientOutput(host.Id(), L".dmp"));
  ASSERT_FALSE(dump.empty()) << "no minidump; the client says:\n" << json;
  EXPECT_EQ(0x504D444Du, U32At(dump, 0)) << "MDMP";
  const uint32_t streams = U32At(dump, 8);
  const uint32_t directory = U32At(dump, 12);
  uint32_t exceptionStream = 0;
  for (uint32_t i = 0; i < streams && exceptionStream == 0; ++i) {
    if (U32At(dump, directory + 12 * i) == 6) exceptionStream = U32At(dump, directory + 12 * i + 8);
  }
  ASSERT_NE(0u, exceptionStream) << "the minidump has no exception stream";
  EXPECT_EQ(threadId, U32At(dump, exceptionStream)) << "thread of the exception stream";
  EXPECT_EQ(0xC0000005u, U32At(dump, exceptionStream + 8)) << "exception code";
  EXPECT_EQ(address & 0xFFFFFFFFu, U64At(dump, exceptionStream + 24) & 0xFFFFFFFFu) << "exception address";
}

TEST(ReportKinds, RequestsBeforeInitializationLeaveNoTrace) {
  PipelineFolder folder;
  LiveChild host;
  ASSERT_TRUE(folder.Start(host, L"abort:x installn:3 managed:a:b watchself unwatch:1"));
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(10000, &exitCode));
  EXPECT_EQ(0u, exitCode);
  for (const char* step : {"abort:x", "installn:3", "managed:a:b", "watchself", "unwatch:1"}) {
    EXPECT_EQ(0x80040007ul, host.Value(step)) << step;
  }
  EXPECT_FALSE(FileExists(ReportPath(host.Id())));
  EXPECT_TRUE(folder.ClientCommandLines().empty());
}

}  // namespace
