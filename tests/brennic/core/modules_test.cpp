// The wrappers of the product's modules, bound by ordinal, against the companion
// modules built beside this test program.
#include <windows.h>
#include <gtest/gtest.h>

#include "outbox_reader.h"
#include "send/install_module.h"
#include "send/upload_module.h"
#include "send/upload_frame.h"
#include "test_support.h"

using namespace testing_support;

namespace {

class BrennicModules : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", install_.path().c_str());
    SetEnvironmentVariableW(L"UPLOAD_OUTBOX", (install_ / L"Outbox").c_str());
  }
  TempDir install_;
};

// Callers append "Data\VrelReport" directly, so the separator must be there even
// when the module reports the folder without it.
TEST_F(BrennicModules, InstallFolderAlwaysEndsWithABackslash) {
  EXPECT_EQ(install_.path() + L"\\", LookupInstallFolder());
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", (install_.path() + L"\\").c_str());
  EXPECT_EQ(install_.path() + L"\\", LookupInstallFolder());
}

TEST_F(BrennicModules, ComponentFileIsFoundOnlyWhenItExists) {
  wchar_t buffer[MAX_PATH] = {};
  EXPECT_EQ(0, LookupComponentFile(buffer, L"VrelReport", L"HvReport.exe"));
  EXPECT_EQ(L'\0', buffer[0]);
  ASSERT_TRUE(CopyBuiltFile(L"HvReport.exe", install_.path()));
  EXPECT_NE(0, LookupComponentFile(buffer, L"VrelReport", L"HvReport.exe"));
  EXPECT_EQ(install_ / L"HvReport.exe", std::wstring(buffer));
}

// Without a path from the installation module the bare name is loaded, and the
// standard search finds the module beside the program.
TEST_F(BrennicModules, UploadModuleComesFromTheInstallationOrByItsBareName) {
  CUploadModule bare;
  EXPECT_EQ(L"Upload.dll", bare.GetModulePath());
  EXPECT_TRUE(bare.IsLoaded());
  EXPECT_NE(nullptr, bare.createUploadReport);

  ASSERT_TRUE(CopyBuiltFile(L"Upload.dll", install_.path()));
  CUploadModule installed;
  EXPECT_EQ(install_ / L"Upload.dll", installed.GetModulePath());
  EXPECT_TRUE(installed.IsLoaded());
}

TEST_F(BrennicModules, UploadModuleWithoutOrdinal20CreatesNothing) {
  CUploadModule upload;
  ASSERT_TRUE(upload.Load(BuiltFile(L"upload_without_create.dll").c_str()));
  EXPECT_EQ(nullptr, upload.createUploadReport);
  EXPECT_EQ(nullptr, upload.CreateReport());
  upload.Unload();
  EXPECT_EQ(nullptr, GetModuleHandleW(L"upload_without_create.dll"));
}

TEST_F(BrennicModules, FailedLoadLeavesNothingToRelease) {
  CUploadModule upload;
  EXPECT_FALSE(upload.Load((install_ / L"missing.dll").c_str()));
  EXPECT_FALSE(upload.IsLoaded());
  EXPECT_EQ(nullptr, upload.createUploadReport);
  EXPECT_EQ(nullptr, upload.CreateReport());
}

// The report object's slots, in order, reach the module's outbox.
TEST_F(BrennicModules, ReportObjectSlotsDeliverToTheOutbox) {
  std::wstring attached = install_ / L"list.xml";
  ASSERT_TRUE(WriteTextFile(attached, "<errList/>"));
  WithUploadReport([&](IUploadReport* report) {
    report->SetReportType(L"RunState");
    report->SetParam(L"HV_ErrorID", L"first");
    report->SetParam(L"HV_Info", L"two\r\nlines");
    report->SetParam(L"HV_ErrorID", L"second");
    report->AttachFile(attached.c_str());
    report->Send(1);
    report->Release();
  });
  // Released without Send: not delivered.
  WithUploadReport([&](IUploadReport* report) {
    report->SetReportType(L"VirusInfo");
    report->Release();
  });
  EXPECT_EQ(nullptr, GetModuleHandleW(L"Upload.dll")) << "released after each send";

  std::vector<DeliveredReport> reports = ReadOutbox(install_ / L"Outbox");
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ("RunState", reports[0].type);
  EXPECT_EQ("second", reports[0].params["HV_ErrorID"]);
  EXPECT_EQ("two\r\nlines", reports[0].params["HV_Info"]);
  EXPECT_EQ(Narrow(attached), reports[0].attachmentPath);
  EXPECT_EQ("<errList/>", std::string(reports[0].attachment.begin(), reports[0].attachment.end()));
  EXPECT_EQ("1", reports[0].sendMode);
  EXPECT_EQ((std::vector<std::string>{"SetReportType", "SetParam HV_ErrorID", "SetParam HV_Info",
                                      "SetParam HV_ErrorID", "AttachFile", "Send 1"}),
            reports[0].calls);
}

// The installation module's own configuration: environment, a file beside it, or
// its own folder.
TEST(VrelInstallModuleConfiguration, EnvironmentThenFileThenOwnFolder) {
  TempDir product;
  ASSERT_TRUE(CopyBuiltFile(L"VrelInstall.dll", product.path()));
  HMODULE module = LoadLibraryW((product / L"VrelInstall.dll").c_str());
  ASSERT_NE(nullptr, module);
  auto getInstallFolder = reinterpret_cast<VrelInstallModule::GetInstallFolderFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
  ASSERT_NE(nullptr, getInstallFolder);
  auto Folder = [&] {
    wchar_t buffer[MAX_PATH] = {};
    getInstallFolder(buffer, MAX_PATH, 0);
    return std::wstring(buffer);
  };

  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", nullptr);
  EXPECT_EQ(product.path() + L"\\", Folder());
  ASSERT_TRUE(WriteTextFile(product / L"VrelInstall.cfg", "D:\\Prod\r\nignored\r\n"));
  EXPECT_EQ(L"D:\\Prod", Folder()) << "reported as configured";
  ASSERT_TRUE(WriteTextFile(product / L"VrelInstall.cfg", "\r\n"));
  EXPECT_EQ(L"", Folder());
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", L"E:\\Other\\");
  EXPECT_EQ(L"E:\\Other\\", Folder());

  // A folder that does not fit leaves the caller's buffer as it was.
  wchar_t small[8] = {};
  EXPECT_EQ(0, getInstallFolder(small, 8, 0));
  EXPECT_EQ(L'\0', small[0]);
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", nullptr);
  FreeLibrary(module);
}

}  // namespace
