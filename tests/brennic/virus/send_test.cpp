// Virus counts through the real DLL in real processes: the flush requested by
// DealWithList, the "virustime" command under Wine's rundll32.exe, and the unload.
// What was sent is read back from the upload module's outbox.
#include <gtest/gtest.h>

#include "outbox_reader.h"
#include "product_folder.h"
#include "virus_fixture.h"

namespace virus_testing {
namespace {

using testing_support::ChildResult;
using testing_support::FileExists;
using testing_support::ReadFileBytes;

// An installed product (Brennic.dll, the installation and upload modules) with the
// virus host beside them; the installation folder is the product folder.
class VirusSendTest : public ::testing::Test {
 protected:
  void SetUp() override { product_.PutAs(L"virus_host.exe", L"virus_host.exe"); }

  // Runs the host on the product's Brennic.dll; it must end normally.
  ChildResult RunHost(const std::wstring& steps) {
    ChildResult result = testing_support::RunChild(product_.Root() + L"\\virus_host.exe",
                                                   L"load " + product_.Root() + L"\\Brennic.dll " + steps, 30000,
                                                   product_.Root());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(0u, result.exitCode) << result.output;
    return result;
  }
  ChildResult RunRundll32(const std::wstring& tail) {
    ChildResult result = product_.RunRundll(L"Run32Send " + tail);
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  std::wstring VirusFile(const std::wstring& name) const { return product_.Root() + L"\\Data\\VrelVirus\\" + name; }
  void WriteStore(const std::wstring& name, const std::vector<uint8_t>& bytes) {
    CreateDirectoryW((product_.Root() + L"\\Data\\VrelVirus").c_str(), nullptr);
    ASSERT_TRUE(testing_support::WriteFileBytes(VirusFile(name), bytes.data(), bytes.size()));
  }
  std::vector<DeliveredReport> Reports() const { return ReadOutbox(product_.Outbox()); }

  ProductFolder product_{ProductFolder::kInstallModule | ProductFolder::kUploadModule};
};

// The list a report carries, without its opening line (the identifier varies).
std::string ListBody(const std::string& list) {
  size_t first = list.find("\r\n");
  return first == std::string::npos ? list : list.substr(first + 2);
}

bool StartsWithOpeningElement(const std::string& list) {
  return list.compare(0, 14, "<virlist cid=\"") == 0 && list.find("\">\r\n") == 14 + 36;
}

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
  RunHost(L"report A C:\\a.exe reportmd5 B C:\\b.exe d deal 2 1 waitfor " + product_.Outbox() + L"\\report-* -");

  std::vector<DeliveredReport> reports = Reports();
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("VirusInfo", reports[0].type);
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "AttachFile", "Send 1"}), reports[0].calls);
  EXPECT_EQ(testing_support::Narrow(VirusFile(L"virus_host.exe.xml")), reports[0].attachmentPath);
  std::string list = AsText(reports[0].attachment);
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
  ChildResult result = RunRundll32(L"virustime");

  std::vector<DeliveredReport> reports = Reports();
  ASSERT_EQ(1u, reports.size()) << result.output;
  EXPECT_EQ("VirusInfo", reports[0].type);
  EXPECT_EQ(testing_support::Narrow(VirusFile(L"rundll32.exe.xml")), reports[0].attachmentPath);
  std::string list = AsText(reports[0].attachment);
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

  std::vector<DeliveredReport> reports = Reports();
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("<vir name=\"A\" md5=\"\" num=\"6\"/>\r\n</virlist>\r\n", ListBody(AsText(reports[0].attachment)));
  EXPECT_FALSE(FileExists(VirusFile(L"rundll32.exe.data")));
  EXPECT_FALSE(FileExists(VirusFile(L"a.exe.data")));
}

TEST_F(VirusSendTest, VirustimeWithoutUploadModuleKeepsTheMergedCountsInItsOwnStore) {
  ASSERT_TRUE(DeleteFileW((product_.Root() + L"\\Upload.dll").c_str()));
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
  ChildResult result = RunHost(L"report A C:\\a.exe sleep 100 report B C:\\b.exe free sleep 300");
  unsigned long ms = 99999;
  size_t at = result.output.find("free ");
  ASSERT_NE(std::string::npos, at) << result.output;
  ms = std::stoul(result.output.substr(at + 5));
  EXPECT_LT(ms, 1500u);
  EXPECT_EQ((std::vector<Row>{{"A", "", 1}, {"B", "", 1}}), StoreRows(ReadFileBytes(VirusFile(L"virus_host.exe.data"))));
}

}  // namespace
}  // namespace virus_testing
