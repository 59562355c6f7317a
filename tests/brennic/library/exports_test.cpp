// Brennic.dll exports its five entry points under their plain names, the way the
// product's programs and rundll32 look them up.
#include <windows.h>
#include <gtest/gtest.h>

#include "brennic.h"
#include "test_support.h"

namespace {

TEST(BrennicExports, FivePlainStdcallNames) {
  HMODULE brennic = LoadLibraryW(testing_support::BuiltFile(L"Brennic.dll").c_str());
  ASSERT_NE(nullptr, brennic);
  for (const char* name : {"VrelQuorvel", "VrelReportVirusInfo", "VrelReportVirusInfoWithMD5", "DealWithList",
                           "Run32Send"})
    EXPECT_NE(nullptr, GetProcAddress(brennic, name)) << name;
  for (const char* decorated : {"VrelQuorvel@16", "_VrelQuorvel@16", "Run32Send@16", "_DealWithList@8"})
    EXPECT_EQ(nullptr, GetProcAddress(brennic, decorated)) << decorated;
  // Nothing to do for an unknown command; the result is 1 all the same.
  auto run32Send = reinterpret_cast<Run32SendFunction>(reinterpret_cast<void (*)()>(GetProcAddress(brennic, "Run32Send")));
  char command[] = "VrelQuorvel reportid describle";
  EXPECT_EQ(1, run32Send(nullptr, nullptr, command, SW_SHOW));
  EXPECT_EQ(1, run32Send(nullptr, nullptr, nullptr, SW_SHOW));
  FreeLibrary(brennic);
}

// Through the import library, as a program linked against the DLL calls them.
TEST(BrennicExports, LinkedCallersReachThePlainNames) {
  EXPECT_EQ(1, DealWithList(0, 0));
  char command[] = "nothing";
  EXPECT_EQ(1, Run32Send(nullptr, nullptr, command, SW_SHOW));
}

}  // namespace
