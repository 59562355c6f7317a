// One entry line of the error-list file, from a record.
#include <gtest/gtest.h>

#include "core/file_text.h"
#include "errorlist/list_format.h"

namespace {

ErrorRecord Record(const wchar_t* id, const wchar_t* info, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                   WORD second) {
  ErrorRecord record;
  record.id = id;
  record.info = info;
  record.time.wYear = year;
  record.time.wMonth = month;
  record.time.wDay = day;
  record.time.wHour = hour;
  record.time.wMinute = minute;
  record.time.wSecond = second;
  record.time.wDayOfWeek = 6;
  record.time.wMilliseconds = 987;
  return record;
}

struct EntryCase {
  const char* name;
  ErrorRecord record;
  const char* line;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class ErrorListEntryFormat : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ErrorListEntryFormat, WritesTheLine) {
  EXPECT_EQ(GetParam().line, ToFileText(ErrorListEntry(GetParam().record)));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ErrorListEntryFormat,
    ::testing::Values(
        // 55 bytes: no leading zeros in the time; weekday and milliseconds are not written.
        EntryCase{"plain", Record(L"7", L"disk full", 2010, 8, 14, 9, 5, 3),
                  "<err id=\"7\" info=\"disk full\" time=\"2010-8-14 9:5:3\"/>\r\n"},
        EntryCase{"twoDigits", Record(L"E1", L"x", 2024, 12, 31, 23, 59, 58),
                  "<err id=\"E1\" info=\"x\" time=\"2024-12-31 23:59:58\"/>\r\n"},
        EntryCase{"empty", Record(L"", L"", 2010, 1, 1, 0, 0, 0),
                  "<err id=\"\" info=\"\" time=\"2010-1-1 0:0:0\"/>\r\n"},
        // Markup characters would end the attribute or start an element: entities.
        EntryCase{"escaped", Record(L"a\"b<c", L"x & y > 'z'", 2010, 8, 14, 9, 5, 3),
                  "<err id=\"a&quot;b&lt;c\" info=\"x &amp; y &gt; &apos;z&apos;\" time=\"2010-8-14 9:5:3\"/>\r\n"},
        EntryCase{"lineBreakKept", Record(L"7", L"first\r\nsecond", 2010, 8, 14, 9, 5, 3),
                  "<err id=\"7\" info=\"first\r\nsecond\" time=\"2010-8-14 9:5:3\"/>\r\n"}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

TEST(ErrorListEntryFormatLength, LongTextsAreWrittenWhole) {
  std::wstring info(5000, L'i');
  std::string line = ToFileText(ErrorListEntry(Record(L"7", info.c_str(), 2010, 8, 14, 9, 5, 3)));
  EXPECT_EQ(std::string("<err id=\"7\" info=\"") + std::string(5000, 'i') + "\" time=\"2010-8-14 9:5:3\"/>\r\n", line);
}

TEST(ErrorListOpening, CarriesTheIdentifierAndABlankBeforeTheBracket) {
  EXPECT_EQ("<errList cid=\"ABC\" >\r\n", ToFileText(ErrorListOpening(L"ABC")));
  EXPECT_EQ("</errList>\r\n", ToFileText(kErrorListClosing));
  EXPECT_EQ(12u, ToFileText(kErrorListClosing).size());
}

}  // namespace
