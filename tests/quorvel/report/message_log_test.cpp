// The message log of this very process, written through Quorvel_AddText and read
// back through the named mapping the way a reader does: from logOldestOffset along
// nextOffset to the end record.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "quorvel.h"
#include "report_reader.h"
#include "reporter.h"

using testing_support::U32At;

namespace {

const std::string kLog4 = "<messagelogSize>4</messagelogSize>";

std::vector<LogEntry> Log(const LiveReport& report) {
  std::vector<LogEntry> entries;
  std::string error;
  EXPECT_TRUE(ReadLog(report.Bytes(), &entries, &error)) << error;
  return entries;
}

HRESULT AddLetters(size_t count, wchar_t first = L'a') {
  std::wstring text;
  for (size_t i = 0; i < count; ++i) text.push_back(static_cast<wchar_t>(first + i % 26));
  return Quorvel_AddText(L"%s", text.c_str());
}

TEST(MessageLog, EntriesReadBackInOrderWithTheirUtcTimes) {
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  const uint64_t before = NowUtc() / 10000 * 10000;  // the stamps have milliseconds
  EXPECT_EQ(S_OK, Quorvel_AddText(L"first %d", 1));
  EXPECT_EQ(S_OK, Quorvel_AddText(L"%s and %s", L"second", L"more"));
  EXPECT_EQ(S_OK, Quorvel_AddText(L""));
  const uint64_t after = NowUtc();

  std::vector<uint8_t> file = report.Bytes();
  std::vector<LogEntry> log = Log(report);
  ASSERT_EQ((std::vector<std::wstring>{L"first 1", L"second and more", L""}), Texts(log));
  EXPECT_EQ(9600u, log[0].offset);
  uint64_t previous = 0;
  for (const LogEntry& e : log) {
    EXPECT_EQ(2 * e.text.size() + 20, e.length);
    EXPECT_EQ(e.offset + e.length, e.next);
    EXPECT_GE(e.time, before);
    EXPECT_LE(e.time, after);
    EXPECT_GE(e.time, previous);
    previous = e.time;
  }
  EXPECT_EQ(0u, U32At(file, log.back().next));      // the end record
  EXPECT_EQ(0u, U32At(file, log.back().next + 4));
}

TEST(MessageLog, WrapsToTheAreaStartAndDropsWhatItDisplaces) {
  LiveReport report(kLog4);
  ASSERT_EQ(S_OK, report.initResult());
  // Entries of 490 characters take 1000 bytes and need 1020: four fit one after
  // another, the fifth goes to the start and displaces the first two.
  for (wchar_t c = L'a'; c <= L'e'; ++c) ASSERT_EQ(S_OK, Quorvel_AddText(L"%c%s", c, std::wstring(489, c).c_str()));
  std::vector<LogEntry> log = Log(report);
  ASSERT_EQ(3u, log.size());
  EXPECT_EQ(L'c', log[0].text[0]);
  EXPECT_EQ(L'd', log[1].text[0]);
  EXPECT_EQ(L'e', log[2].text[0]);
  EXPECT_EQ(9600u + 2000, log[0].offset);
  EXPECT_EQ(9600u + 2000, U32At(report.Bytes(), at::kLogOldestOffset));
  EXPECT_EQ(9600u, log[1].next);  // the previous newest points back to the start
  EXPECT_EQ(9600u, log[2].offset);
}

TEST(MessageLog, ManyAddsOfMixedSizesAlwaysReadAsTheNewestSuffix) {
  LiveReport report(kLog4);
  ASSERT_EQ(S_OK, report.initResult());
  std::vector<std::wstring> added;
  uint32_t seed = 12345;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    size_t length = (seed >> 8) % 1500;
    std::wstring text = std::to_wstring(i) + L":" + std::wstring(length, static_cast<wchar_t>(L'a' + i % 26));
    ASSERT_EQ(S_OK, Quorvel_AddText(L"%s", text.c_str())) << i;
    added.push_back(text);
    std::vector<std::wstring> texts = Texts(Log(report));
    ASSERT_FALSE(texts.empty()) << i;
    ASSERT_LE(texts.size(), added.size());
    ASSERT_TRUE(std::equal(texts.begin(), texts.end(), added.end() - texts.size())) << "after add " << i;
  }
}

TEST(MessageLog, AnEntryThatNeedsTheWholeLogReplacesEverything) {
  {
    // 2028 characters need 4096 bytes: the whole 4-KB area.
    LiveReport report(kLog4);
    ASSERT_EQ(S_OK, report.initResult());
    for (int i = 0; i < 3; ++i) ASSERT_EQ(S_OK, AddLetters(100));
    ASSERT_EQ(S_OK, AddLetters(2028, L'A'));
    std::vector<LogEntry> log = Log(report);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(2028u, log[0].text.size());
    EXPECT_EQ(log[0].offset, U32At(report.Bytes(), at::kLogOldestOffset));
  }
  {
    // An entry of more than half the area behind another one: it fits once the
    // other is gone, and is taken wherever the log stands.
    LiveReport report(kLog4);
    ASSERT_EQ(S_OK, report.initResult());
    ASSERT_EQ(S_OK, AddLetters(1500));
    ASSERT_EQ(S_OK, AddLetters(1500, L'A'));
    std::vector<LogEntry> log = Log(report);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(L'A', log[0].text[0]);
    EXPECT_EQ(9600u, log[0].offset);
  }
}

TEST(MessageLog, TextsThatCannotFitAreRefusedAndChangeNothing) {
  struct Case {
    std::string settings;
    size_t characters;
    HRESULT expected;
  } cases[] = {
      {kLog4, 2047, S_FALSE},  // needs 4134 bytes
      {kLog4, 2029, S_FALSE},  // 4098
      {kLog4, 2028, S_OK},     // 4096
      {"<messagelogSize>0</messagelogSize>", 0, S_FALSE},
      {"<messagelogSize>0</messagelogSize>", 5, S_FALSE},
  };
  for (const Case& c : cases) {
    LiveReport report(c.settings);
    ASSERT_EQ(S_OK, report.initResult());
    EXPECT_EQ(c.expected, AddLetters(c.characters)) << c.settings << " " << c.characters;
    EXPECT_EQ(c.expected == S_OK ? 1u : 0u, Log(report).size());
    EXPECT_EQ(9600u, U32At(report.Bytes(), at::kLogOldestOffset));
  }
}

TEST(MessageLog, LongTextsAreCutAndBrokenFormatsStoreNothing) {
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  std::wstring huge(5000, L'h');
  EXPECT_EQ(S_OK, Quorvel_AddText(L"%s%s", L"start-", huge.c_str()));
  EXPECT_EQ(E_INVALIDARG, Quorvel_AddText(L"broken %"));
  EXPECT_EQ(E_INVALIDARG, Quorvel_AddText(nullptr));
  std::vector<LogEntry> log = Log(report);
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(2047u, log[0].text.size());
  EXPECT_EQ(4114u, log[0].length);
  EXPECT_EQ(0u, log[0].text.find(L"start-hhh"));
}

struct Writer {
  int id;
  int count;
  int failures;
};

DWORD WINAPI WriteEntries(void* parameter) {
  Writer* writer = static_cast<Writer*>(parameter);
  for (int i = 0; i < writer->count; ++i) {
    if (Quorvel_AddText(L"t%d-%d %s", writer->id, i, std::wstring(i % 97, L'x').c_str()) != S_OK) ++writer->failures;
  }
  return 0;
}

TEST(MessageLog, ThreadsAddingAtOnceNeverBreakTheChain) {
  LiveReport report(kLog4);
  ASSERT_EQ(S_OK, report.initResult());
  Writer writers[4] = {{0, 400, 0}, {1, 400, 0}, {2, 400, 0}, {3, 400, 0}};
  HANDLE threads[4];
  for (int t = 0; t < 4; ++t) threads[t] = CreateThread(nullptr, 0, WriteEntries, &writers[t], 0, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, 30000));
  for (HANDLE t : threads) CloseHandle(t);
  for (const Writer& w : writers) EXPECT_EQ(0, w.failures);

  std::vector<LogEntry> log = Log(report);
  ASSERT_GT(log.size(), 10u);
  int last[4] = {-1, -1, -1, -1};
  for (const LogEntry& e : log) {
    int id = -1;
    int i = -1;
    ASSERT_EQ(2, swscanf(e.text.c_str(), L"t%d-%d", &id, &i)) << testing_support::Narrow(e.text);
    ASSERT_TRUE(id >= 0 && id < 4);
    EXPECT_GT(i, last[id]) << "entries of one thread out of order";
    last[id] = i;
    EXPECT_EQ(static_cast<size_t>(i % 97), e.text.size() - e.text.find(L' ') - 1);
  }
  // The newest entry is the last add of some thread.
  int id = -1;
  int i = -1;
  swscanf(log.back().text.c_str(), L"t%d-%d", &id, &i);
  EXPECT_EQ(399, i);
}

TEST(MessageLog, ChainDamagedByAnotherProcessIsNotFollowedOutOfTheArea) {
  // Anyone of the same user can open the named mapping for writing. Three entries
  // of 300 characters lie at 9600, 10220 and 10840.
  struct Case {
    const char* field;
    size_t offset;
  } cases[] = {
      {"oldest entry's nextOffset", 9600 + 4},
      {"newest entry's entryLength", 10840},
  };
  for (const Case& c : cases) {
    LiveReport report(kLog4);
    ASSERT_EQ(S_OK, report.initResult());
    for (int i = 0; i < 3; ++i) ASSERT_EQ(S_OK, AddLetters(300));
    std::wstring name = L"MarluneApp" + std::to_wstring(GetCurrentProcessId()) + L".qvrp";
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str());
    ASSERT_NE(nullptr, mapping);
    uint8_t* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(nullptr, view);
    const uint32_t wild = 0x7FFFFFF0;
    memcpy(view + c.offset, &wild, 4);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(S_OK, AddLetters(300 + i, L'A')) << c.field << " " << i;
    std::vector<LogEntry> log = Log(report);
    ASSERT_FALSE(log.empty()) << c.field;
    EXPECT_EQ(319u, log.back().text.size()) << c.field;
  }
}

}  // namespace
