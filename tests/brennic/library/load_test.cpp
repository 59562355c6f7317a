// Brennic.dll loaded by a real host process from a product folder: what the load
// step leaves on disk and in the registry, and what unloading releases.
#include <windows.h>
#include <gtest/gtest.h>

#include <cctype>

#include "product_folder.h"

using namespace testing_support;

namespace {

const char kFreshListEnd[] = "\" >\r\n</errList>\r\n";

// A list file as the load step makes it: opening element with a 36-character
// identifier, closing element, CR LF after each, 67 bytes in all.
void ExpectFreshList(const std::vector<uint8_t>& file, const std::string& identifier) {
  ASSERT_EQ(67u, file.size());
  EXPECT_EQ("<errList cid=\"" + identifier + kFreshListEnd, AsText(file));
}

void ExpectNewIdentifierForm(const std::string& identifier) {
  ASSERT_EQ(36u, identifier.size()) << identifier;
  for (size_t i = 0; i < identifier.size(); ++i) {
    char c = identifier[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ('-', c) << identifier;
    } else {
      EXPECT_TRUE(isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')) << identifier;
    }
  }
}

// The key is made when missing: an identifier that is not kept would mark every
// new list of this machine as another client's.
TEST(BrennicLoad, FirstLoadCreatesTheListAndStoresANewIdentifier) {
  ProductFolder product;
  ChildResult run = product.RunHost(L"delkey load");
  ASSERT_EQ(0u, StepResult(run.output, "delkey")) << run.output;
  ASSERT_EQ(1u, StepResult(run.output, "load")) << run.output;

  std::vector<uint8_t> file = ReadFileBytes(product.HostListFile());
  std::string identifier = ListIdentifier(file);
  ExpectNewIdentifierForm(identifier);
  ExpectFreshList(file, identifier);
  EXPECT_EQ(Widen(identifier), StoredClientIdentifier());
}

TEST(BrennicLoad, SecondLoadLeavesFileAndRegistryAlone) {
  ProductFolder product;
  product.RunHost(L"load");
  std::vector<uint8_t> before = ReadFileBytes(product.HostListFile());
  ASSERT_EQ(67u, before.size());

  // Another identifier in the registry now: a load that consulted it would show it.
  const wchar_t kOther[] = L"00000000-1111-2222-3333-444444444444";
  ChildResult run = product.RunHost(std::wstring(L"setcid:") + kOther + L" load");
  ASSERT_EQ(1u, StepResult(run.output, "load")) << run.output;
  EXPECT_EQ(before, ReadFileBytes(product.HostListFile()));
  EXPECT_EQ(kOther, StoredClientIdentifier());
}

struct PresetCase {
  const char* name;
  const wchar_t* steps;      // sets the value, then loads
  const char* expectedUsed;  // identifier the file must carry; null: a new one
};

void PrintTo(const PresetCase& c, std::ostream* os) { *os << c.name; }

class BrennicPresetIdentifier : public ::testing::TestWithParam<PresetCase> {};

TEST_P(BrennicPresetIdentifier, UsedOrReplaced) {
  const PresetCase& c = GetParam();
  ProductFolder product;
  ChildResult run = product.RunHost(c.steps);
  ASSERT_EQ(1u, StepResult(run.output, "load")) << run.output;

  std::vector<uint8_t> file = ReadFileBytes(product.HostListFile());
  std::string identifier = ListIdentifier(file);
  if (c.expectedUsed != nullptr) {
    EXPECT_EQ(c.expectedUsed, identifier);
    ExpectFreshList(file, c.expectedUsed);
    EXPECT_EQ(Widen(c.expectedUsed), StoredClientIdentifier());
  } else {
    ExpectNewIdentifierForm(identifier);
    ExpectFreshList(file, identifier);
    EXPECT_EQ(Widen(identifier), StoredClientIdentifier()) << "the replacement is stored";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, BrennicPresetIdentifier,
    ::testing::Values(
        PresetCase{"any36", L"setcid:any-text_of|36-characters,used.as.is load", "any-text_of|36-characters,used.as.is"},
        PresetCase{"lowerGuid", L"setcid:abcdef01-2345-6789-abcd-ef0123456789 load",
                   "abcdef01-2345-6789-abcd-ef0123456789"},
        PresetCase{"chars37", L"setcid:0123456789012345678901234567890123456 load", nullptr},
        PresetCase{"dword", L"setciddword:12345 load", nullptr},
        PresetCase{"empty", L"setcid: load", nullptr}),
    [](const ::testing::TestParamInfo<PresetCase>& info) { return std::string(info.param.name); });

TEST(BrennicLoad, WithoutInstallationModuleFoldersAreRelativeToTheCurrentFolder) {
  ProductFolder product(ProductFolder::kAll & ~ProductFolder::kInstallModule);
  TempDir current;
  CreateDirectoryW((current / L"Data").c_str(), nullptr);
  ChildResult run = product.RunHost(L"load", 30000, current.path());
  ASSERT_EQ(1u, StepResult(run.output, "load")) << run.output;

  std::vector<uint8_t> file = ReadFileBytes(current / L"Data\\VrelReport\\brennic_host.exe.xml");
  ExpectFreshList(file, ListIdentifier(file));
  EXPECT_FALSE(FileExists(product.ListFolder()));
}

TEST(BrennicLoad, LoadsWithoutItsFoldersAndTakesEventsWithoutAFile) {
  ProductFolder product;
  RemoveDirectoryW((product.Root() + L"\\Data").c_str());  // only the last level is ever made
  ChildResult run = product.RunHost(L"load error:0:7:lost sleep:300 unload");
  EXPECT_EQ(1u, StepResult(run.output, "load")) << run.output;
  EXPECT_EQ(1u, StepResult(run.output, "error:0:7:lost"));
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_FALSE(FileExists(product.ListFolder()));
}

TEST(BrennicUnload, ReleasesTheInstallationModule) {
  ProductFolder product;
  ChildResult run = product.RunHost(L"load loaded:VrelInstall.dll unload loaded:VrelInstall.dll");
  EXPECT_EQ(1u, StepResult(run.output, "load")) << run.output;
  std::string output = run.output;
  size_t unloadAt = output.find("unload 0x");
  ASSERT_NE(std::string::npos, unloadAt) << output;
  EXPECT_EQ(1u, StepResult(output.substr(0, unloadAt), "loaded:VrelInstall.dll"));
  EXPECT_EQ(0u, StepResult(output.substr(unloadAt), "loaded:VrelInstall.dll"));
}

// The writer is stopped by the unload; its last pass still writes what the queue
// it drains holds. The first pass (woken by the intake) drained the other queue.
TEST(BrennicUnload, StopsTheWriterAfterItsLastPass) {
  ProductFolder product;
  ChildResult run = product.RunHost(L"load error:0:7:disk_full sleep:500 unload");
  ASSERT_EQ(1u, StepResult(run.output, "unload")) << run.output;
  long elapsed = HostPrintedNumber(run.output, "unload-ms");
  EXPECT_GE(elapsed, 0);
  EXPECT_LT(elapsed, 1100);
  std::string text = AsText(ReadFileBytes(product.HostListFile()));
  EXPECT_NE(std::string::npos, text.find("<err id=\"7\" info=\"disk_full\" time=\"")) << text;
  EXPECT_EQ(text.size() - 12, text.find("</errList>\r\n"));
}

// Freeing the library right after an event: the writer thread may not have run
// yet (it waits for the loader lock the unload holds); it must be ended, not left
// to run code of an unloaded library.
TEST(BrennicUnload, RightAfterAnEventLeavesNoThreadBehind) {
  ProductFolder product;
  std::wstring steps;
  for (int i = 0; i < 8; ++i) steps += L"load error:0:7:x unload ";
  ChildResult run = product.RunHost(steps + L"sleep:500");
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(0u, run.exitCode) << run.output;
  EXPECT_EQ(0u, StepResult(run.output, "sleep:500")) << run.output;
}

}  // namespace
