#include "common/text.h"

#include <gtest/gtest.h>

#include "common/hresult.h"

namespace {

TEST(FormatText, PercentSTakesAWideStringAndLongOutputIsCut) {
  wchar_t buffer[8];
  EXPECT_EQ(-1, FormatText(buffer, 8, L"%s", L"0123456789"));
  EXPECT_STREQ(L"0123456", buffer);
  wchar_t wide[32];
  EXPECT_EQ(7, FormatText(wide, 32, L"[%s]%d", L"wide", 7));
  EXPECT_STREQ(L"[wide]7", wide);  // "%s" prints the whole wide string
  EXPECT_EQ(-1, FormatText(wide, 32, nullptr));
  EXPECT_STREQ(L"", wide);
}

TEST(CopyText, CutsToCapacityLessOne) {
  wchar_t buffer[4];
  EXPECT_TRUE(CopyText(buffer, 4, L"abc"));
  EXPECT_STREQ(L"abc", buffer);
  EXPECT_FALSE(CopyText(buffer, 4, L"abcd"));
  EXPECT_STREQ(L"abc", buffer);
  EXPECT_TRUE(CopyText(buffer, 4, nullptr));
  EXPECT_STREQ(L"", buffer);
  EXPECT_FALSE(AppendText(buffer, 4, L"abcd"));
  EXPECT_TRUE(AppendText(buffer, 4, L"ab"));
  EXPECT_TRUE(AppendText(buffer, 4, L"c"));
  EXPECT_STREQ(L"abc", buffer);
}

TEST(HResultFromWin32, KeepsZeroAndBelowAndMapsTheRest) {
  EXPECT_EQ(0, HResultFromWin32(0));
  EXPECT_EQ(-5, HResultFromWin32(-5));
  EXPECT_EQ(static_cast<HRESULT>(0x80070002), HResultFromWin32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(static_cast<HRESULT>(0x80070057), HResultFromWin32(0x12340057));  // low 16 bits only
}

}  // namespace
