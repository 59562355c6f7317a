// DealWithList's error branch: this program's list file sent as it is, then deleted;
// and what happens without a usable upload module.
#include <gtest/gtest.h>

#include "outbox_reader.h"
#include "product_folder.h"

using namespace testing_support;

namespace {

const char kEarlierList[] =
    "<errList cid=\"PRESET-IDENTIFIER\" >\r\n"
    "<err id=\"7\" info=\"disk full\" time=\"2010-8-14 9:5:3\"/>\r\n"
    "</errList>\r\n";

// A list file left by an earlier run of the host: the load step keeps it as it is.
void PutEarlierList(const ProductFolder& product) {
  CreateDirectoryW(product.ListFolder().c_str(), nullptr);
  ASSERT_TRUE(WriteTextFile(product.HostListFile(), kEarlierList));
}

struct DealCase {
  const char* name;
  const wchar_t* step;
  bool sends;
};

void PrintTo(const DealCase& c, std::ostream* os) { *os << c.name; }

class BrennicDealWithList : public ::testing::TestWithParam<DealCase> {};

TEST_P(BrennicDealWithList, SendsAndDeletesTheListOnlyForBitZeroWithArgument) {
  const DealCase& c = GetParam();
  ProductFolder product;
  PutEarlierList(product);
  ChildResult run = product.RunHost(std::wstring(L"load ") + c.step);
  ASSERT_EQ(1u, StepResult(run.output, Narrow(c.step))) << run.output;

  std::vector<DeliveredReport> reports = ReadOutbox(product.Outbox());
  if (!c.sends) {
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(kEarlierList, AsText(ReadFileBytes(product.HostListFile())));
    return;
  }
  ASSERT_EQ(1u, reports.size());
  DeliveredReport& report = reports[0];
  EXPECT_EQ("RunState", report.type);
  EXPECT_EQ("0", report.params["HV_ErrorID"]);
  EXPECT_EQ(0, lstrcmpiW(product.HostListFile().c_str(), Widen(report.params["HV_Info"]).c_str()))
      << report.params["HV_Info"];
  EXPECT_EQ(report.params["HV_Info"], report.attachmentPath);
  EXPECT_EQ(kEarlierList, AsText(report.attachment));
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "SetParam HV_ErrorID", "SetParam HV_Info", "AttachFile",
                                      "Send 1"}),
            report.calls);
  EXPECT_FALSE(FileExists(product.HostListFile())) << "deleted after the send";
}

INSTANTIATE_TEST_SUITE_P(Flags, BrennicDealWithList,
                         ::testing::Values(DealCase{"bit0WithoutArgument", L"deal:1:0", false},
                                           DealCase{"bitsZeroAndOne", L"deal:3:1", true},
                                           DealCase{"onlyLowByteCounts", L"deal:0x101:1", true},
                                           DealCase{"bitEightAlone", L"deal:0x100:1", false},
                                           DealCase{"noBits", L"deal:0:1", false}),
                         [](const ::testing::TestParamInfo<DealCase>& info) { return std::string(info.param.name); });

// Without Upload.dll, or with one that cannot create report objects, nothing is
// sent and no file is deleted.
struct ModuleCase {
  const char* name;
  bool withStandIn;  // Upload.dll without ordinal 20; otherwise no Upload.dll at all
  const wchar_t* step;
};

void PrintTo(const ModuleCase& c, std::ostream* os) { *os << c.name; }

class BrennicWithoutUploadModule : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(BrennicWithoutUploadModule, SendsNothingAndKeepsTheList) {
  const ModuleCase& c = GetParam();
  ProductFolder product(ProductFolder::kAll & ~ProductFolder::kUploadModule);
  if (c.withStandIn) product.PutAs(L"upload_without_create.dll", L"Upload.dll");
  PutEarlierList(product);
  ChildResult run = product.RunHost(std::wstring(L"load ") + c.step + L" loaded:Upload.dll");
  ASSERT_EQ(1u, StepResult(run.output, Narrow(c.step))) << run.output;
  EXPECT_EQ(0u, StepResult(run.output, "loaded:Upload.dll")) << "released after the send";
  EXPECT_TRUE(ReadOutbox(product.Outbox()).empty());
  EXPECT_EQ(kEarlierList, AsText(ReadFileBytes(product.HostListFile())));
  EXPECT_FALSE(FileExists(product.ArchivePath())) << "nothing was packed";
}

INSTANTIATE_TEST_SUITE_P(Modules, BrennicWithoutUploadModule,
                         ::testing::Values(ModuleCase{"absentList", false, L"deal:1:1"},
                                           ModuleCase{"absentNow", false, L"error:1:E1:x"},
                                           ModuleCase{"withoutOrdinal20List", true, L"deal:1:1"},
                                           ModuleCase{"withoutOrdinal20Now", true, L"error:1:E1:x"}),
                         [](const ::testing::TestParamInfo<ModuleCase>& info) { return std::string(info.param.name); });

}  // namespace
