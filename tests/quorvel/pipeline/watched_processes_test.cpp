// Watched processes through the exports: their ids in the report file, the report
// of kind 3 when one ends on its own, and what the end of reporting does to the
// others.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "pipeline_folder.h"

using namespace testing_support;

namespace {

DWORD ExitCodeOf(HANDLE process, DWORD waitMs) {
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  return code;
}

bool IsDriveLetterPath(const std::wstring& path) {
  return path.size() > 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

TEST(WatchedProcesses, OneEndingOnItsOwnIsReportedAndTheOthersAreEnded) {
  PipelineFolder folder;
  LiveChild host;
  ASSERT_TRUE(folder.Start(host, L"coinit init:0 child:1500:3 child:60000:0 sleep:30000 exit:5"));
  ASSERT_TRUE(host.WaitForOutput("child:60000:0 0x", 15000)) << host.Output();
  const std::string output = host.Output();
  const DWORD first = host.Value("child");
  const DWORD second = strtoul(output.c_str() + output.rfind("\nchild ") + 7, nullptr, 10);
  HANDLE ending = host.Adopt(first);
  HANDLE other = host.Adopt(second);
  ASSERT_TRUE(other != nullptr && ending != nullptr);
  EXPECT_EQ(0ul, host.Value("child:1500:3"));
  EXPECT_EQ(0ul, host.Value("child:60000:0"));

  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(20000, &exitCode)) << host.Output();
  EXPECT_EQ(0u, exitCode);
  EXPECT_EQ(3u, ExitCodeOf(ending, 0));
  EXPECT_EQ(0u, ExitCodeOf(other, 2000)) << "the remaining watched process is terminated with exit code 0";

  std::vector<uint8_t> file = ReadFileBytes(ReportPath(host.Id()));
  ASSERT_GE(file.size(), 9600u);
  EXPECT_EQ(3u, U32At(file, 2412));
  EXPECT_EQ(first, U32At(file, 2416));
  EXPECT_EQ(3u, U32At(file, 2940));
  std::wstring image = WideAt(file, 2420, 260);
  EXPECT_TRUE(IsDriveLetterPath(image)) << Narrow(image);
  EXPECT_EQ(Lower(folder.HostPath()), Lower(image));
  EXPECT_EQ(second, U32At(file, 20)) << "the ended process's slot was dropped, the other moved down";
  EXPECT_EQ(0u, U32At(file, 24));
  EXPECT_EQ(1u, folder.ClientCommandLines().size());
}

TEST(WatchedProcesses, TenSlotsAndUnknownIds) {
  PipelineFolder folder;
  LiveChild host;
  std::wstring steps = L"coinit init:0 watch:0";
  for (int i = 1; i <= 11; ++i) steps += L" watchself:" + std::to_wstring(i);
  steps += L" unwatch:1 hold:20000 shutdown";
  ASSERT_TRUE(folder.Start(host, steps));
  ASSERT_TRUE(host.WaitForOutput("unwatch:1 0x", 15000)) << host.Output();
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(0ul, host.Value("watchself:" + std::to_string(i))) << i;
  EXPECT_EQ(0x8007006Ful, host.Value("watchself:11"));
  EXPECT_EQ(0x80070057ul, host.Value("unwatch:1"));
  EXPECT_EQ(0x80070057ul, host.Value("watch:0")) << "OpenProcess's failure for an id that names no process";

  std::vector<uint8_t> file = ReadFileBytes(ReportPath(host.Id()));
  ASSERT_GE(file.size(), 9600u);
  for (int slot = 0; slot < 10; ++slot) EXPECT_EQ(host.Id(), U32At(file, 20 + 4 * slot)) << slot;
  EXPECT_EQ(0u, U32At(file, 2412)) << "nothing reported";
  ASSERT_TRUE(ReleaseHold(host.Id()));
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(10000, &exitCode)) << host.Output();
  EXPECT_EQ(0u, exitCode);
  EXPECT_TRUE(folder.ClientCommandLines().empty());
}

// Removing the middle of three moves the third one's id and handle down: its end is
// then reported under its own id.
TEST(WatchedProcesses, RemovingTheMiddleOfThreeShiftsSlotsAndIds) {
  PipelineFolder folder;
  LiveChild host;
  ASSERT_TRUE(folder.Start(
      host, L"coinit init:0 child:60000:0 child:60000:0 child:60000:0 unwatchchild:2 sleep:30000 exit:5"));
  ASSERT_TRUE(host.WaitForOutput("unwatchchild:2 0x", 15000)) << host.Output();
  EXPECT_EQ(0ul, host.Value("unwatchchild:2"));
  std::vector<DWORD> ids;
  const std::string output = host.Output();
  for (size_t at = 0; (at = output.find("child ", at)) != std::string::npos; at += 6) {
    if (at == 0 || output[at - 1] == '\n') ids.push_back(strtoul(output.c_str() + at + 6, nullptr, 10));
  }
  ASSERT_EQ(3u, ids.size()) << output;
  HANDLE first = host.Adopt(ids[0]);
  HANDLE middle = host.Adopt(ids[1]);
  HANDLE third = host.Adopt(ids[2]);

  std::vector<uint8_t> file = ReadFileBytes(ReportPath(host.Id()));
  EXPECT_EQ(ids[0], U32At(file, 20));
  EXPECT_EQ(ids[2], U32At(file, 24));
  EXPECT_EQ(0u, U32At(file, 28));

  TerminateProcess(third, 7);
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(20000, &exitCode)) << host.Output();
  EXPECT_EQ(0u, exitCode);
  file = ReadFileBytes(ReportPath(host.Id()));
  EXPECT_EQ(3u, U32At(file, 2412));
  EXPECT_EQ(ids[2], U32At(file, 2416));
  EXPECT_EQ(7u, U32At(file, 2940));
  EXPECT_EQ(0u, ExitCodeOf(first, 2000));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(middle, 0)) << "an unwatched process is left running";
}

}  // namespace
