// Virus counts through the real DLL in real processes: the flush requested by
// DealWithList, the "virustime" command under Wine's rundll32.exe, and the unload.
// What was sent is read back from the upload module's outbox.
#include <gtest/gtest.h>

#include "product_folder.h"
#include "virus_fixture.h"

namespace virus_testing {
namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;

// The list a report carries, without its opening line (the identifier varies).
std::string ListBody(const std::string& list) {
  size_t first = list.find("\r\n");
  return first == std::string::npos ? list : list.substr(first + 2);
}

bool StartsWithOpeningElement(const std::string& list) {
  return list.compare(0, 14, "<virlist cid=\"") == 0 && list.find("\">\r\n") == 14 + 36;
}

using VirusSendTest = ProductTest;

TEST_F(VirusSendTest, DealWithListTwoZeroWritesTheListAndSendsNothing) {
  std::vector<uint8_t> store = Concat({StoreRecord("A", "", 1), StoreRecord("B", "d", 2), StoreRecord("C", "", 3)});
  WriteStore(L"virus_host.exe.data", store);
  RunHost(L"deal 2 0 waitfor " + VirusFile(L"virus_host.exe.xml") + L" </virlist>");

  std::string list = ReadText(VirusFile(L"virus_host.exe.xml"));
  EXPECT_TRUE(StartsWithOpeningElement(list)) << list;
  EXPECT_EQ(
      "<vir name=\"A\" md5=\"\" num=\"1\"/>\r\n"
      "<vir name=\"B\" md5=\"d\" num=\"2\"/>\r\n"
      "<vir name=\"C\" md5=\"\" num=\"3\"/>\r\n"
      "</virlist>\r\n",
      ListBody(list));
  EXPECT_EQ(store, ReadFileBytes(VirusFile(L"virus_host.exe.data")));  // the emptied table saved nothing
  EXPECT_TRUE(Reports().empty());
}

TEST_F(VirusSendTest, DealWithListTwoOneSendsTheListAndLeavesNoFile) {
  WriteStore(L"virus_host.exe.data", StoreRecord("A", "", 2));
  RunHost(L"report A C:\\a.exe reportmd5 B C:\\b.exe d deal 2 1 waitfor " + Outbox() + L"\\report-* -");

  std::vector<std::wstring> reports = Reports();
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("VirusInfo", ReportFile(reports[0], L"type.txt"));
  EXPECT_EQ("SetReportType\r\nAttachFile\r\nSend 1\r\n", ReportFile(reports[0], L"calls.txt"));
  EXPECT_EQ(testing_support::Narrow(VirusFile(L"virus_host.exe.xml")), ReportFile(reports[0], L"attachment-path.txt"));
  std::string list = ReportFile(reports[0], L"attachment\\virus_host.exe.xml");
  EXPECT_TRUE(StartsWithOpeningElement(list)) << list;
  EXPECT_EQ("<vir name=\"A\" md5=\"\" num=\"3\"/>\r\n<vir name=\"B\" md5=\"d\" num=\"1\"/>\r\n</virlist>\r\n",
            ListBody(list));
  EXPECT_FALSE(FileExists(VirusFile(L"virus_host.exe.xml")));
  EXPECT_FALSE(FileExists(VirusFile(L"virus_host.exe.data")));
}

TEST_F(VirusSendTest, DealWithListTwoOneOnAnEmptyTableSendsNothing) {
  RunHost(L"deal 2 1 sleep 1000");
  EXPECT_TRUE(Reports().empty());
  EXPECT_FALSE(FileExists(VirusFile(L"virus_host.exe.xml")));
  EXPECT_FALSE(FileExists(VirusFile(L"virus_host.exe.data")));
}

TEST_F(VirusSendTest, VirustimeMergesEveryProgramsStoreIntoOneReport) {
  WriteStore(L"a.exe.data", StoreRecord("A", "", 2));
  WriteStore(L"b.exe.data", Concat({StoreRecord("A", "", 3), StoreRecord("B", "d", 1)}));
  testing_support::ChildResult result = RunRundll32(L"virustime");

  std::vector<std::wstring> reports = Reports();
  ASSERT_EQ(1u, reports.size()) << result.output;
  EXPECT_EQ("VirusInfo", ReportFile(reports[0], L"type.txt"));
  std::string list = ReportFile(reports[0], L"attachment\\rundll32.exe.xml");
  EXPECT_TRUE(StartsWithOpeningElement(list)) << list;
  EXPECT_EQ("<vir name=\"A\" md5=\"\" num=\"5\"/>\r\n<vir name=\"B\" md5=\"d\" num=\"1\"/>\r\n</virlist>\r\n",
            ListBody(list));
  EXPECT_FALSE(FileExists(VirusFile(L"a.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"b.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"rundll32.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"rundll32.exe.xml")));
}

// rundll32's own store is read at load and found again by the command: it must
// count once.
TEST_F(VirusSendTest, VirustimeCountsTheHostsOwnStoreOnce) {
  WriteStore(L"rundll32.exe.data", StoreRecord("A", "", 4));
  WriteStore(L"a.exe.data", StoreRecord("A", "", 2));
  RunRundll32(L"virustime");

  std::vector<std::wstring> reports = Reports();
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("<vir name=\"A\" md5=\"\" num=\"6\"/>\r\n</virlist>\r\n",
            ListBody(ReportFile(reports[0], L"attachment\\rundll32.exe.xml")));
  EXPECT_FALSE(FileExists(VirusFile(L"rundll32.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"a.exe.data")));
}

TEST_F(VirusSendTest, VirustimeWithoutUploadModuleKeepsTheMergedCountsInItsOwnStore) {
  LeaveOutUploadModule();
  WriteStore(L"rundll32.exe.data", StoreRecord("C", "", 1));
  WriteStore(L"a.exe.data", StoreRecord("A", "", 2));
  WriteStore(L"b.exe.data", Concat({StoreRecord("A", "", 3), StoreRecord("B", "d", 1)}));
  RunRundll32(L"virustime");

  EXPECT_TRUE(Reports().empty());
  EXPECT_FALSE(FileExists(VirusFile(L"a.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"b.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"rundll32.exe.xml")));
  EXPECT_EQ((std::vector<Row>{{"C", "", 1}, {"A", "", 5}, {"B", "d", 1}}),
            StoreRows(ReadFileBytes(VirusFile(L"rundll32.exe.data"))));
}

TEST_F(VirusSendTest, OtherCommandLinesLeaveTheStoresAlone) {
  WriteStore(L"a.exe.data", StoreRecord("A", "", 2));
  for (const wchar_t* tail : {L"VirusTime", L"nothing"}) RunRundll32(tail);
  EXPECT_TRUE(Reports().empty());
  EXPECT_TRUE(FileExists(VirusFile(L"a.exe.data")));
}

// Detections taken just before the host ends are still queued at unload.
TEST_F(VirusSendTest, HostExitKeepsDetectionsTakenJustBefore) {
  RunHost(L"report A C:\\a.exe report A C:\\b.exe reportmd5 A C:\\c.exe d");
  EXPECT_EQ((std::vector<Row>{{"A", "", 2}, {"A", "d", 1}}), StoreRows(ReadFileBytes(VirusFile(L"virus_host.exe.data"))));
}

// FreeLibrary runs the unload under the loader lock while the worker lives: the
// wait is bounded and the counts are saved.
TEST_F(VirusSendTest, FreeLibraryWithARunningWorkerSavesAndReturns) {
  testing_support::ChildResult result = RunHost(L"report A C:\\a.exe sleep 100 report B C:\\b.exe free sleep 300");
  unsigned long ms = 99999;
  size_t at = result.output.find("free ");
  ASSERT_NE(std::string::npos, at) << result.output;
  ms = std::stoul(result.output.substr(at + 5));
  EXPECT_LT(ms, 1500u);
  EXPECT_EQ((std::vector<Row>{{"A", "", 1}, {"B", "", 1}}), StoreRows(ReadFileBytes(VirusFile(L"virus_host.exe.data"))));
}

}  // namespace
}  // namespace virus_testing
