// The pieces of the registration that need no launcher: the copy of the options
// block and the argument checks of one pipe block.
#include <gtest/gtest.h>

#include <cstring>

#include "report/launcher_pipe.h"
#include "reporter.h"

namespace {

TEST(LauncherProtocol, OptionsBlockCopy) {
  CReporter reporter;
  uint8_t buffer[2100];
  DWORD size = 0;
  EXPECT_EQ(E_INVALIDARG, reporter.GetOptionsBlock(buffer, nullptr));
  size = 99;
  EXPECT_EQ(S_FALSE, reporter.GetOptionsBlock(buffer, &size)) << "no options given";
  EXPECT_EQ(0u, size);

  reporter.optionsBlock.optionsGiven = 1;
  reporter.optionsBlock.optionValue = 7;
  wcscpy(reporter.optionsBlock.optionText, L"hello");
  struct Case {
    const char* name;
    bool withBuffer;
    DWORD size;
    HRESULT expected;
  } cases[] = {
      {"size query", false, 0, S_OK},
      {"buffer too small", true, 2049, E_FAIL},
      {"copy", true, 2100, S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    memset(buffer, 0xAB, sizeof(buffer));
    size = c.size;
    EXPECT_EQ(c.expected, reporter.GetOptionsBlock(c.withBuffer ? buffer : nullptr, &size));
    EXPECT_EQ(2050u, size);
  }
  EXPECT_EQ(1u, buffer[0]);
  EXPECT_EQ(7u, buffer[1]);
  EXPECT_EQ(0, memcmp(buffer + 2, L"hello", 12));
  EXPECT_EQ(0xABu, buffer[2050]) << "nothing written past the block";
}

TEST(LauncherProtocol, PipeBlockRefusesMissingArguments) {
  HANDLE somePipe = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
  DWORD data = 1;
  LONG reply = 0;
  EXPECT_EQ(E_INVALIDARG, WritePipeBlock(nullptr, &data, 4, &reply));
  EXPECT_EQ(E_INVALIDARG, WritePipeBlock(INVALID_HANDLE_VALUE, &data, 4, &reply));
  EXPECT_EQ(E_INVALIDARG, WritePipeBlock(somePipe, nullptr, 4, &reply));
  EXPECT_EQ(E_INVALIDARG, WritePipeBlock(somePipe, &data, 0, &reply));
  EXPECT_EQ(E_INVALIDARG, WritePipeBlock(somePipe, &data, 4, nullptr));
}

}  // namespace
