// VrelQuorvel with sendNow: one "RunState" report at once, on the caller's thread.
#include <gtest/gtest.h>

#include "outbox_reader.h"
#include "product_folder.h"

using namespace testing_support;

namespace {

TEST(BrennicSendNow, AnyNonZeroSendsTheTextsAndTheArchive) {
  ProductFolder product;
  ChildResult run = product.RunHost(L"load \"error:5:E42:disk is full\" unload");
  ASSERT_EQ(1u, StepResult(run.output, "error:5:E42:disk is full")) << run.output;

  std::vector<DeliveredReport> reports = ReadOutbox(product.Outbox());
  ASSERT_EQ(1u, reports.size());
  DeliveredReport& report = reports[0];
  EXPECT_EQ("RunState", report.type);
  EXPECT_EQ("E42", report.params["HV_ErrorID"]);
  EXPECT_EQ("disk is full", report.params["HV_Info"]);
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "SetParam HV_ErrorID", "SetParam HV_Info", "AttachFile",
                                      "Send 1"}),
            report.calls);
  EXPECT_EQ(0, lstrcmpiW(product.ArchivePath().c_str(), Widen(report.attachmentPath).c_str()))
      << report.attachmentPath;
  ASSERT_TRUE(report.attachmentCopied);
  EXPECT_EQ(0x06054B50u, U32At(report.attachment, report.attachment.size() - 22)) << "a zip archive";
  EXPECT_EQ(67u, ReadFileBytes(product.HostListFile()).size()) << "the list is not touched";
}

TEST(BrennicSendNow, WithoutPackingProgramSendsTheTextsAlone) {
  ProductFolder product(ProductFolder::kAll & ~ProductFolder::kPackingProgram);
  ChildResult run = product.RunHost(L"load \"error:1:E43:no archive\"");
  ASSERT_EQ(1u, StepResult(run.output, "error:1:E43:no archive")) << run.output;

  std::vector<DeliveredReport> reports = ReadOutbox(product.Outbox());
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("E43", reports[0].params["HV_ErrorID"]);
  EXPECT_EQ("no archive", reports[0].params["HV_Info"]);
  EXPECT_FALSE(reports[0].attached);
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "SetParam HV_ErrorID", "SetParam HV_Info", "Send 1"}),
            reports[0].calls);
}

TEST(BrennicSendNow, NullTextsAreSentEmpty) {
  ProductFolder product(ProductFolder::kAll & ~ProductFolder::kPackingProgram);
  product.RunHost(L"load errornull:1");
  std::vector<DeliveredReport> reports = ReadOutbox(product.Outbox());
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("", reports[0].params["HV_ErrorID"]);
  EXPECT_EQ("", reports[0].params["HV_Info"]);
  EXPECT_EQ(2u, reports[0].params.size());
}

}  // namespace
