// HvReport.exe packs a folder into a zip of stored entries, read here at the
// format's literal offsets.
#include <windows.h>
#include <gtest/gtest.h>

#include "outbox_reader.h"
#include "test_support.h"

using namespace testing_support;

namespace {

ChildResult Pack(const std::wstring& arguments) { return RunChild(BuiltFile(L"HvReport.exe"), arguments, 30000); }

TEST(HvReportMakeZip, PacksTheFolderAndRemovesWhatItPacked) {
  TempDir in, out;
  ASSERT_TRUE(WriteTextFile(in / L"a.exe.xml", "<errList cid=\"A\" >\r\n</errList>\r\n"));
  CreateDirectoryW((in / L"sub").c_str(), nullptr);
  ASSERT_TRUE(WriteTextFile(in / L"sub\\b.exe.xml", "B"));
  std::wstring archive = out / L"Report.zip";
  ASSERT_TRUE(WriteTextFile(archive, "an older archive"));

  ChildResult run = Pack(L"-MakeZip \"" + archive + L"\" -From \"" + in.path() + L"\"");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(0u, run.exitCode);

  std::vector<uint8_t> zip = ReadFileBytes(archive);
  ASSERT_GE(zip.size(), 22u);
  EXPECT_EQ(0x04034B50u, U32At(zip, 0));
  EXPECT_EQ(0x06054B50u, U32At(zip, zip.size() - 22));
  std::map<std::string, std::string> expected = {{"a.exe.xml", "<errList cid=\"A\" >\r\n</errList>\r\n"},
                                                 {"sub/b.exe.xml", "B"}};
  EXPECT_EQ(expected, ReadStoredZip(zip));
  EXPECT_FALSE(FileExists(in / L"a.exe.xml"));
  EXPECT_FALSE(FileExists(in / L"sub\\b.exe.xml"));
  EXPECT_FALSE(FileExists(archive + L".part"));
}

TEST(HvReportMakeZip, KeepLeavesTheFilesAndAnEmptyFolderGivesAnEmptyArchive) {
  TempDir in, out;
  ChildResult empty = Pack(L"-MakeZip \"" + (out / L"empty.zip") + L"\" -From \"" + in.path() + L"\" -Keep");
  EXPECT_EQ(0u, empty.exitCode);
  std::vector<uint8_t> zip = ReadFileBytes(out / L"empty.zip");
  ASSERT_EQ(22u, zip.size());
  EXPECT_EQ(0x06054B50u, U32At(zip, 0));

  ASSERT_TRUE(WriteTextFile(in / L"kept.xml", "K"));
  Pack(L"-MakeZip \"" + (out / L"kept.zip") + L"\" -From \"" + in.path() + L"\" -Keep");
  EXPECT_EQ((std::map<std::string, std::string>{{"kept.xml", "K"}}), ReadStoredZip(ReadFileBytes(out / L"kept.zip")));
  EXPECT_TRUE(FileExists(in / L"kept.xml"));
}

struct BadCommand {
  const char* name;
  const wchar_t* arguments;
  DWORD exitCode;
};

void PrintTo(const BadCommand& c, std::ostream* os) { *os << c.name; }

class HvReportCommandLine : public ::testing::TestWithParam<BadCommand> {};

TEST_P(HvReportCommandLine, FailsWithItsExitCode) {
  EXPECT_EQ(GetParam().exitCode, Pack(GetParam().arguments).exitCode);
}

INSTANTIATE_TEST_SUITE_P(Commands, HvReportCommandLine,
                         ::testing::Values(BadCommand{"nothing", L"", 1}, BadCommand{"noPath", L"-MakeZip", 1},
                                           BadCommand{"unknownOption", L"-MakeZip x.zip -Fast", 1},
                                           BadCommand{"unwritable", L"-MakeZip \"Q:\\no\\such\\folder\\r.zip\" -Keep", 2}),
                         [](const ::testing::TestParamInfo<BadCommand>& info) { return std::string(info.param.name); });

}  // namespace
