// The report reader on images built byte by byte at the file format's offsets,
// including damaged ones: the reader gets its input from other processes and
// from disk and must neither trust nor loop on it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "report_decoder.h"
#include "report_format.h"

namespace {

constexpr uint32_t kLogSize = 1024;
constexpr uint32_t kListOffset = 9600 + kLogSize;
constexpr uint32_t kListCapacity = 2;
constexpr uint32_t kTotal = kListOffset + kListCapacity * 528;

class Image {
 public:
  Image() : bytes(kTotal, 0) {
    Put32(0, kTotal);
    Put32(4, 0x00010001);
    Put32(9584, 9600);
    Put32(9588, kListOffset);
  }
  void Put32(size_t at, uint32_t value) { memcpy(&bytes[at], &value, 4); }
  void PutText(size_t at, const std::wstring& text) {
    for (size_t i = 0; i <= text.size(); ++i) {
      uint16_t c = i < text.size() ? static_cast<uint16_t>(text[i]) : 0;
      memcpy(&bytes[at + 2 * i], &c, 2);
    }
  }
  // An entry at a file offset, linked to `next`; its end record follows it.
  void PutEntry(uint32_t at, const std::wstring& text, uint32_t next, uint64_t time) {
    const uint32_t length = 2 * static_cast<uint32_t>(text.size()) + 20;
    Put32(at, length);
    Put32(at + 4, next);
    Put32(at + 8, static_cast<uint32_t>(time));
    Put32(at + 12, static_cast<uint32_t>(time >> 32));
    PutText(at + 16, text);
  }
  std::vector<uint8_t> bytes;
};

report_reader::DecodedReport Decode(const Image& image) {
  report_reader::DecodedReport report;
  std::wstring error;
  EXPECT_TRUE(report_reader::DecodeReport(image.bytes, &report, &error)) << report_reader::Utf8(error);
  return report;
}

constexpr uint64_t kNoon = 133000000000000000ull;  // some day in 2022, UTC

TEST(ReportReader, MessageLogIsReadFromTheOldestEntryAcrossTheWrap) {
  Image image;
  // Oldest near the area's end, wrapping to its start.
  image.PutEntry(10400, L"first", 9600, kNoon);
  image.PutEntry(9600, L"second", 9600 + 32, kNoon + 10000);
  image.Put32(9584, 10400);
  image.Put32(9592, 1);
  image.Put32(kListOffset, 7);
  image.Put32(kListOffset + 4, 8);
  image.PutText(kListOffset + 8, L"C:\\logs\\app.log");
  report_reader::DecodedReport report = Decode(image);
  ASSERT_EQ(2u, report.log.size());
  EXPECT_EQ(L"first", report.log[0].text);
  EXPECT_EQ(L"second", report.log[1].text);
  EXPECT_EQ(kNoon + 10000, report.log[1].time);
  ASSERT_EQ(1u, report.files.size());
  EXPECT_EQ(7u, report.files[0].value1);
  EXPECT_EQ(L"C:\\logs\\app.log", report.files[0].path);
  EXPECT_TRUE(report.problems.empty());
  std::string text = report_reader::FormatText(report, L"test", {});
  EXPECT_NE(std::string::npos, text.find("UTC  first")) << text;
}

TEST(ReportReader, DamagedImagesAreReportedNotTrusted) {
  struct Case {
    const char* name;
    void (*damage)(Image&);
    const wchar_t* problem;
    size_t logEntries;
  } cases[] = {
      {"chain that loops", [](Image& i) { i.PutEntry(9600, L"again", 9600, kNoon); }, L"does not end", 0},
      {"next offset past the area", [](Image& i) { i.PutEntry(9600, L"one", 50000, kNoon); }, L"leaves the log area", 1},
      {"entry longer than the area", [](Image& i) { i.Put32(9600, 4000); }, L"bad length", 0},
      {"oldest offset before the area", [](Image& i) { i.Put32(9584, 100); }, L"leaves the log area", 0},
      {"more files than the list holds", [](Image& i) { i.Put32(9592, 1000); }, L"exceeds", 0},
      {"file shorter than its total size", [](Image& i) { i.bytes.resize(9700); }, L"shorter", 0},
      {"file list offset outside the file", [](Image& i) { i.Put32(9588, 0x7FFFFFFF); }, L"outside", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Image image;
    c.damage(image);
    report_reader::DecodedReport report = Decode(image);
    bool found = false;
    for (const std::wstring& problem : report.problems) found = found || problem.find(c.problem) != std::wstring::npos;
    EXPECT_TRUE(found);
    if (std::string(c.name) != "chain that loops") {
      EXPECT_EQ(c.logEntries, report.log.size());
    }
    EXPECT_LE(report.files.size(), kListCapacity);
  }
}

TEST(ReportReader, TooShortForAHeadIsRefused) {
  report_reader::DecodedReport report;
  std::wstring error;
  EXPECT_FALSE(report_reader::DecodeReport(std::vector<uint8_t>(9599, 0), &report, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ReportReader, JsonEscapesTextsFromTheReport) {
  Image image;
  image.Put32(2412, 4);
  image.PutText(2416, L"say \"no\"\\\n\x01 \x00e9");
  std::string json = report_reader::FormatJson(Decode(image), L"test", {});
  EXPECT_NE(std::string::npos, json.find("\"text\": \"say \\\"no\\\"\\\\\\u000a\\u0001 \xc3\xa9\"")) << json;
}

}  // namespace
