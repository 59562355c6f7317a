// Intake's texts: escaping, the byte limits of name and digest, path shortening.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "core/escape_xml.h"
#include "virus/virus_record.h"

namespace {

TEST(EscapeXml, ReplacesTheFiveCharactersAndNothingElse) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"a&b<c>", L"a&amp;b&lt;c&gt;"},
      {L"it's", L"it&apos;s"},
      {L"say \"hi\"", L"say &quot;hi&quot;"},
      {L"&amp;", L"&amp;amp;"},  // an entity is escaped again
      {L"line\r\nbreak\x01\xD800", L"line\r\nbreak\x01\xD800"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(std::wstring(c.out), EscapeXml(c.in)) << c.in;
  EXPECT_EQ(L"", EscapeXml(nullptr));
}

std::string Field(const char (&field)[64]) { return std::string(field, strnlen(field, 64)); }

TEST(VirusRecord, NameIsEscapedAndCutAfter63Bytes) {
  // 60 letters and four "&": 80 bytes once escaped.
  std::wstring name = std::wstring(60, L'x') + L"&&&&";
  VirusRecord record = MakeVirusRecord(name.c_str(), L"C:\\a.exe", nullptr);
  EXPECT_EQ(std::string(60, 'x') + "&am", Field(record.name));
  EXPECT_EQ(0, record.name[63]);

  record = MakeVirusRecord(L"a&b<c>\"'", L"C:\\a.exe", nullptr);
  EXPECT_EQ("a&amp;b&lt;c&gt;&quot;&apos;", Field(record.name));
}

// The cut is by bytes in the thread's code page, even between the two bytes of a
// double-byte character.
TEST(VirusRecord, NameCutCanSplitADoubleByteCharacter) {
  LCID saved = GetThreadLocale();
  ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT)));
  std::wstring name = std::wstring(62, L'a') + L"\x3042";  // hiragana A: 0x82 0xA0 in code page 932
  VirusRecord record = MakeVirusRecord(name.c_str(), L"C:\\a.exe", nullptr);
  VirusRecord whole = MakeVirusRecord(L"\x3042", L"C:\\a.exe", nullptr);
  SetThreadLocale(saved);

  EXPECT_EQ("\x82\xA0", Field(whole.name));
  EXPECT_EQ(std::string(62, 'a') + "\x82", Field(record.name));
  EXPECT_EQ(0, record.name[63]);
}

TEST(VirusRecord, DigestKeeps32BytesAndAMissingOneIsAllZero) {
  std::wstring digest = L"0123456789abcdef0123456789abcdef01234567";  // 40 characters
  VirusRecord record = MakeVirusRecord(L"A", L"C:\\a.exe", digest.c_str());
  EXPECT_EQ("0123456789abcdef0123456789abcdef", Field(record.md5));

  const char zeros[64] = {};
  VirusRecord without = MakeVirusRecord(L"A", L"C:\\a.exe", nullptr);
  EXPECT_EQ(0, std::memcmp(without.md5, zeros, 64));
  VirusRecord empty = MakeVirusRecord(L"A", L"C:\\a.exe", L"");
  EXPECT_EQ(0, std::memcmp(&empty, &without, sizeof(VirusRecord)));  // counted as one virus
}

TEST(VirusRecord, PathOver260UnitsIsShortenedTo44) {
  auto pathOf = [](const VirusRecord& record) {
    size_t n = 0;
    while (n < 260 && record.path[n] != 0) ++n;
    return std::wstring(record.path, n);
  };
  std::wstring head = L"C:\\" + std::wstring(17, L'h');  // 20 units
  std::wstring tail = std::wstring(16, L't') + L".exe";    // 20 units

  std::wstring longPath = head + std::wstring(221, L'm') + tail;  // 261 units
  EXPECT_EQ(head + L"\\..\\" + tail, pathOf(MakeVirusRecord(L"A", longPath.c_str(), nullptr)));

  std::wstring exact = head + std::wstring(220, L'm') + tail;  // 260 units: the field is full
  VirusRecord full = MakeVirusRecord(L"A", exact.c_str(), nullptr);
  EXPECT_EQ(0, std::wmemcmp(exact.c_str(), full.path, 260));

  // Escaping counts: 259 units with one "&" become 263.
  std::wstring amp = head + L"&" + std::wstring(218, L'm') + tail;
  EXPECT_EQ(head + L"\\..\\" + tail, pathOf(MakeVirusRecord(L"A", amp.c_str(), nullptr)));
}

TEST(VirusRecord, NullTextsCountAsEmpty) {
  VirusRecord record = MakeVirusRecord(nullptr, nullptr, nullptr);
  EXPECT_EQ("", Field(record.name));
  EXPECT_EQ(0, record.path[0]);
}

}  // namespace
