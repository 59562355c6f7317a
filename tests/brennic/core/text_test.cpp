// Text as it goes into the library's files and comes from rundll32's command line.
#include <windows.h>
#include <gtest/gtest.h>

#include "core/file_text.h"
#include "core/format_text.h"
#include "test_support.h"

using namespace testing_support;

namespace {

TEST(BrennicFormatWide, PercentSTakesAWideStringAndLengthIsUnbounded) {
  EXPECT_EQ(L"<a id=\"wide\" n=\"-7\"/>", FormatWide(L"<a id=\"%s\" n=\"%d\"/>", L"wide", -7));
  std::wstring longText(3000, L'x');
  EXPECT_EQ(L"[" + longText + L"]", FormatWide(L"[%s]", longText.c_str()));
  EXPECT_EQ(L"", FormatWide(L"%s", L""));
}

// The files are in the thread's ANSI code page; this prefix runs with code page 1252.
TEST(BrennicFileText, ConvertsToTheAnsiCodePageWithReplacement) {
  if (GetACP() != 1252) GTEST_SKIP() << "expectations are written for code page 1252, this is " << GetACP();
  EXPECT_EQ("caf\xE9 \x80", ToFileText(L"caf\u00E9 \u20AC"));
  EXPECT_EQ("?", ToFileText(L"\u4E2D"));
  EXPECT_EQ("", ToFileText(L""));
  EXPECT_EQ(L"caf\u00E9", FromFileText("caf\xE9"));
  EXPECT_EQ(L"", FromFileText(static_cast<const char*>(nullptr)));
  EXPECT_EQ(L"", FromFileText(""));
}

TEST(BrennicFileText, WritesAtTheCurrentPositionWithoutTerminator) {
  TempDir dir;
  std::wstring path = dir / L"list.xml";
  ASSERT_TRUE(WriteTextFile(path, "0123456789"));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  SetFilePointer(file, 3, nullptr, FILE_BEGIN);
  WriteFileText(file, L"ab");
  WriteFileText(file, L"");
  WriteFileText(file, L"c");
  CloseHandle(file);
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  EXPECT_EQ("012abc6789", std::string(bytes.begin(), bytes.end()));
}

}  // namespace
