// The supplementary file list of this very process, changed through the exports and
// read back through the named mapping at the literal offsets of its entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quorvel.h"
#include "report_reader.h"

using testing_support::U32At;
using testing_support::WideAt;

namespace {

struct Entry {
  uint32_t value1;
  uint32_t value2;
  std::wstring path;
  bool operator==(const Entry& o) const { return value1 == o.value1 && value2 == o.value2 && path == o.path; }
};

std::vector<Entry> List(const LiveReport& report) {
  std::vector<uint8_t> file = report.Bytes();
  std::vector<Entry> entries;
  const uint32_t list = U32At(file, at::kFileListOffset);
  for (uint32_t i = 0; i < U32At(file, at::kFileCount) && i < 10000; ++i) {
    const size_t entry = list + i * at::kFileEntrySize;
    entries.push_back({U32At(file, entry), U32At(file, entry + 4), WideAt(file, entry + 8, 260)});
  }
  return entries;
}

TEST(FileList, EntriesAtTheirOffsets) {
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  EXPECT_EQ(S_OK, Quorvel_AddFile(L"C:\\logs\\a.txt", 1, 2));
  EXPECT_EQ(S_OK, Quorvel_AddFile(L"C:\\logs\\b.txt", 0xFFFFFFFF, 0));
  EXPECT_EQ(S_OK, Quorvel_AddFile(L"C:\\logs\\a.txt", 3, 4));  // no check for duplicates
  std::vector<uint8_t> file = report.Bytes();
  EXPECT_EQ(3u, U32At(file, at::kFileCount));
  EXPECT_EQ(1u, U32At(file, 75136));
  EXPECT_EQ(2u, U32At(file, 75140));
  EXPECT_EQ(L"C:\\logs\\a.txt", WideAt(file, 75144, 260));
  EXPECT_EQ(0xFFFFFFFFu, U32At(file, 75136 + 528));
  EXPECT_EQ(L"C:\\logs\\b.txt", WideAt(file, 75136 + 528 + 8, 260));
  EXPECT_EQ(3u, U32At(file, 75136 + 2 * 528));
}

TEST(FileList, FullListDropsTheOldest) {
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  for (uint32_t i = 0; i <= 50; ++i) ASSERT_EQ(S_OK, Quorvel_AddFile((L"file" + std::to_wstring(i)).c_str(), i, 0));
  std::vector<Entry> list = List(report);
  ASSERT_EQ(50u, list.size());
  EXPECT_EQ((Entry{1, 0, L"file1"}), list.front());
  EXPECT_EQ((Entry{50, 0, L"file50"}), list.back());
}

TEST(FileList, RemovalIgnoresCaseAndTakesTheFirstMatchOnly) {
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  Quorvel_AddFile(L"c:\\data\\a.log", 1, 0);
  Quorvel_AddFile(L"C:\\Data\\B.log", 2, 0);
  Quorvel_AddFile(L"c:\\data\\a.log", 3, 0);
  Quorvel_AddFile(L"c:\\data\\c.log", 4, 0);
  EXPECT_EQ(S_OK, Quorvel_RemoveFile(L"C:\\DATA\\A.LOG"));
  EXPECT_EQ((std::vector<Entry>{{2, 0, L"C:\\Data\\B.log"}, {3, 0, L"c:\\data\\a.log"}, {4, 0, L"c:\\data\\c.log"}}),
            List(report));
  EXPECT_EQ(S_FALSE, Quorvel_RemoveFile(L"c:\\data\\x.log"));
  EXPECT_EQ(S_FALSE, Quorvel_RemoveFile(L"c:\\data\\a.lo"));
  EXPECT_EQ(3u, List(report).size());
  EXPECT_EQ(S_OK, Quorvel_RemoveFile(L"c:\\data\\c.log"));
  EXPECT_EQ(S_OK, Quorvel_RemoveFile(L"c:\\data\\b.LOG"));
  EXPECT_EQ((std::vector<Entry>{{3, 0, L"c:\\data\\a.log"}}), List(report));
  // Freed entries are zero again.
  std::vector<uint8_t> file = report.Bytes();
  EXPECT_TRUE(AllZero(file, 75136 + 528, 75136 + 4 * 528));
}

TEST(FileList, LongPathIsStoredCutAndRemovedByTheSameArgument) {
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  std::wstring path = L"C:\\" + std::wstring(297, L'p');
  ASSERT_EQ(300u, path.size());
  EXPECT_EQ(S_OK, Quorvel_AddFile(path.c_str(), 7, 8));
  std::vector<Entry> list = List(report);
  ASSERT_EQ(1u, list.size());
  EXPECT_EQ(path.substr(0, 259), list[0].path);
  EXPECT_EQ(S_OK, Quorvel_RemoveFile(path.c_str()));
  EXPECT_TRUE(List(report).empty());
}

TEST(FileList, ListWithoutRoomKeepsNothing) {
  LiveReport report("<supplementfileSize>0</supplementfileSize>");
  ASSERT_EQ(S_OK, report.initResult());
  EXPECT_EQ(S_FALSE, Quorvel_AddFile(L"C:\\a.txt", 1, 2));
  EXPECT_EQ(S_FALSE, Quorvel_RemoveFile(L"C:\\a.txt"));
  std::vector<uint8_t> file = report.Bytes();
  EXPECT_EQ(75136u, file.size());
  EXPECT_EQ(0u, U32At(file, at::kFileCount));
}

TEST(FileList, NullPathsAndCallsBeforeInitialization) {
  EXPECT_EQ(static_cast<HRESULT>(0x80040007), Quorvel_AddFile(L"C:\\a.txt", 1, 2));
  EXPECT_EQ(static_cast<HRESULT>(0x80040007), Quorvel_RemoveFile(L"C:\\a.txt"));
  Quorvel_Shutdown();
  LiveReport report("");
  ASSERT_EQ(S_OK, report.initResult());
  EXPECT_EQ(E_INVALIDARG, Quorvel_AddFile(nullptr, 1, 2));
  EXPECT_EQ(E_INVALIDARG, Quorvel_RemoveFile(nullptr));
  EXPECT_TRUE(List(report).empty());
}

}  // namespace
