// Run32Send called by the system's own rundll32.exe: the errortime command moves
// every list file of the product into the machine's staging folder and sends them
// packed into one archive.
#include <shlobj.h>
#include <windows.h>
#include <gtest/gtest.h>

#include "outbox_reader.h"
#include "product_folder.h"

using namespace testing_support;

namespace {

// The staging folder's parent belongs to the product's installer.
std::wstring StagingFolder() {
  wchar_t common[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE);
  std::wstring parent = std::wstring(common) + L"\\VrelReport";
  CreateDirectoryW(parent.c_str(), nullptr);
  return parent + L"\\holvane";
}

// List names of this test only, so that files of other runs cannot be mistaken for them.
std::wstring UniqueListName(const wchar_t* program) {
  return std::wstring(program) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount()) + L".exe.xml";
}

std::string ListOf(const std::string& id) {
  return "<errList cid=\"C\" >\r\n<err id=\"" + id + "\" info=\"i\" time=\"2010-8-14 9:5:3\"/>\r\n</errList>\r\n";
}

class BrennicErrortime : public ::testing::Test {
 protected:
  void SetUp() override { Prepare(ProductFolder::kAll); }
  // A product folder of the given parts, with this test's two list files in it.
  void Prepare(unsigned parts) {
    product_.reset(new ProductFolder(parts));
    staging_ = StagingFolder();
    CreateDirectoryW(product_->ListFolder().c_str(), nullptr);
    for (const std::wstring& name : names_)
      ASSERT_TRUE(WriteTextFile(product_->ListFolder() + L"\\" + name, ListOf(Narrow(name))));
  }
  void TearDown() override {
    for (const std::wstring& name : names_) DeleteFileW((staging_ + L"\\" + name).c_str());
    DeleteFileW((staging_ + L"\\rundll32.exe.xml").c_str());
  }

  std::unique_ptr<ProductFolder> product_;
  std::wstring staging_;
  std::vector<std::wstring> names_{UniqueListName(L"a"), UniqueListName(L"b")};
};

TEST_F(BrennicErrortime, MovesEveryListAndSendsOneArchive) {
  product_->RunRundll(L"Run32Send errortime");

  std::vector<DeliveredReport> reports = ReadOutbox(product_->Outbox());
  ASSERT_EQ(1u, reports.size());
  DeliveredReport& report = reports[0];
  EXPECT_EQ("RunState", report.type);
  EXPECT_EQ("0", report.params["HV_ErrorID"]);
  EXPECT_EQ(0, lstrcmpiW(product_->ArchivePath().c_str(), Widen(report.params["HV_Info"]).c_str()))
      << report.params["HV_Info"];
  EXPECT_EQ(report.params["HV_Info"], report.attachmentPath);
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "SetParam HV_ErrorID", "SetParam HV_Info", "AttachFile",
                                      "Send 1"}),
            report.calls);

  std::map<std::string, std::string> zip = ReadStoredZip(report.attachment);
  for (const std::wstring& name : names_) {
    EXPECT_EQ(ListOf(Narrow(name)), zip[Narrow(name)]) << Narrow(name);
    EXPECT_FALSE(FileExists(product_->ListFolder() + L"\\" + name)) << "moved away";
  }
  // The rundll32 host's own list, made by its load step, travels too.
  ASSERT_EQ(1u, zip.count("rundll32.exe.xml"));
  EXPECT_EQ(67u, zip["rundll32.exe.xml"].size());
  for (const auto& entry : zip) EXPECT_EQ(0u, entry.first.find("BAD CRC ") == 0 ? 1u : 0u) << entry.first;
  EXPECT_FALSE(FileExists(product_->ListFolder() + L"\\rundll32.exe.xml"));
}

TEST_F(BrennicErrortime, WithoutPackingProgramSendsTheReportAlone) {
  Prepare(ProductFolder::kAll & ~ProductFolder::kPackingProgram);
  product_->RunRundll(L"Run32Send errortime");

  std::vector<DeliveredReport> reports = ReadOutbox(product_->Outbox());
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("0", reports[0].params["HV_ErrorID"]);
  EXPECT_EQ(0u, reports[0].params.count("HV_Info"));
  EXPECT_FALSE(reports[0].attached);
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "SetParam HV_ErrorID", "Send 1"}), reports[0].calls);
  for (const std::wstring& name : names_) {
    EXPECT_EQ(ListOf(Narrow(name)), AsText(ReadFileBytes(staging_ + L"\\" + name))) << "staged";
    EXPECT_FALSE(FileExists(product_->ListFolder() + L"\\" + name));
  }
}

// A list whose name is taken in the staging folder stays where it is, for the next
// run, instead of being deleted unsent.
TEST_F(BrennicErrortime, ListThatCannotBeStagedStaysForTheNextRun) {
  ASSERT_TRUE(WriteTextFile(staging_ + L"\\" + names_[0], "older, same name"));
  product_->RunRundll(L"Run32Send errortime");

  EXPECT_EQ(ListOf(Narrow(names_[0])), AsText(ReadFileBytes(product_->ListFolder() + L"\\" + names_[0])));
  EXPECT_FALSE(FileExists(product_->ListFolder() + L"\\" + names_[1]));
  std::vector<DeliveredReport> reports = ReadOutbox(product_->Outbox());
  ASSERT_EQ(1u, reports.size());
  std::map<std::string, std::string> zip = ReadStoredZip(reports[0].attachment);
  EXPECT_EQ("older, same name", zip[Narrow(names_[0])]);
  EXPECT_EQ(ListOf(Narrow(names_[1])), zip[Narrow(names_[1])]);
}

struct QuietCase {
  const char* name;
  const wchar_t* command;
};

void PrintTo(const QuietCase& c, std::ostream* os) { *os << c.name; }

class BrennicRun32SendWithoutErrortime : public BrennicErrortime, public ::testing::WithParamInterface<QuietCase> {};

// Other spellings do nothing; the virus keyword wins over the error keyword.
TEST_P(BrennicRun32SendWithoutErrortime, LeavesTheListsAlone) {
  product_->RunRundll(GetParam().command);
  for (const DeliveredReport& report : ReadOutbox(product_->Outbox())) EXPECT_NE("RunState", report.type);
  for (const std::wstring& name : names_) EXPECT_TRUE(FileExists(product_->ListFolder() + L"\\" + name));
}

INSTANTIATE_TEST_SUITE_P(Commands, BrennicRun32SendWithoutErrortime,
                         ::testing::Values(QuietCase{"otherCase", L"Run32Send ErrorTime"},
                                           QuietCase{"virusFirst", L"Run32Send virustime errortime"},
                                           QuietCase{"nothing", L"Run32Send"}),
                         [](const ::testing::TestParamInfo<QuietCase>& info) { return std::string(info.param.name); });

// The load step could not make the folder, so there is no list at all: nothing is sent.
TEST(BrennicErrortimeWithoutLists, SendsNothing) {
  ProductFolder product;
  RemoveDirectoryW((product.Root() + L"\\Data").c_str());
  product.RunRundll(L"Run32Send errortime");
  EXPECT_TRUE(ReadOutbox(product.Outbox()).empty());
  EXPECT_FALSE(FileExists(product.Outbox()));
}

}  // namespace
