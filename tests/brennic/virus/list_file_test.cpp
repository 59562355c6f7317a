// The virus-list file and the flush that writes it. These tests read and write the
// client identifier in the registry, so they never run beside another such test.
#include <gtest/gtest.h>

#include "virus/virus_list_file.h"
#include "virus/virus_queue.h"
#include "virus/virus_send.h"
#include "virus/virus_worker.h"
#include "virus_fixture.h"

namespace virus_testing {
namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;

const wchar_t kIdentifier[] = L"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";

void SetIdentifier(const wchar_t* value) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Holvane", 0, nullptr, 0, KEY_WRITE, nullptr,
                                           &key, nullptr));
  RegSetValueExW(key, L"reportcid", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

class ListFileTest : public AttachedVirusListTest {
 protected:
  void SetUp() override {
    AttachedVirusListTest::SetUp();
    SetIdentifier(kIdentifier);
  }
  void Count(const wchar_t* name, const wchar_t* md5, int times) {
    list_.workerRunning = 1;  // counted by hand, no worker
    for (int i = 0; i < times; ++i) QueueVirusRecord(list_, MakeVirusRecord(name, L"p", md5));
    DrainAllQueues(list_);
    list_.workerRunning = 0;
  }
};

TEST_F(ListFileTest, LinesFollowTheTemplatesInTableOrder) {
  Count(L"A", nullptr, 3);
  Count(L"B", L"d", 1);
  Count(L"x&y", nullptr, 1);
  EXPECT_EQ(0, WriteVirusList(list_));
  EXPECT_EQ(
      "<virlist cid=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">\r\n"
      "<vir name=\"A\" md5=\"\" num=\"3\"/>\r\n"
      "<vir name=\"B\" md5=\"d\" num=\"1\"/>\r\n"
      "<vir name=\"x&amp;y\" md5=\"\" num=\"1\"/>\r\n"
      "</virlist>\r\n",
      ReadText(ListPath()));
  EXPECT_TRUE(TableRows(list_).empty());
}

TEST_F(ListFileTest, EmptyTableWritesNoFile) {
  EXPECT_EQ(1, WriteVirusList(list_));
  EXPECT_FALSE(FileExists(ListPath()));
}

TEST_F(ListFileTest, ListThatCannotBeCreatedLeavesTheTable) {
  Count(L"A", nullptr, 2);
  list_.listPath = install_.path() + L"\\missing\\scanner.exe.xml";
  EXPECT_EQ(1, WriteVirusList(list_));
  EXPECT_EQ((std::vector<Row>{{"A", "", 2}}), TableRows(list_));
}

// A name that fills its 64 bytes (read from some store file) is written whole.
TEST_F(ListFileTest, UnterminatedStoredNameIsWrittenToItsFieldEnd) {
  VirusEntry full = {};
  std::memset(full.name, 'n', sizeof(full.name));
  full.num = 1;
  list_.entries.Append(full);
  EXPECT_EQ(0, WriteVirusList(list_));
  EXPECT_NE(std::string::npos, ReadText(ListPath()).find("<vir name=\"" + std::string(64, 'n') + "\" md5=\"\" num=\"1\"/>"));
}

TEST_F(ListFileTest, FlushWithoutUploadWritesTheListAndKeepsTheStore) {
  std::vector<uint8_t> store = StoreRecord("Old", "", 4);
  testing_support::WriteFileBytes(StorePath(), store.data(), store.size());
  Count(L"A", nullptr, 1);
  Count(L"B", nullptr, 1);
  Count(L"C", nullptr, 1);
  EXPECT_EQ(1, DealWithVirusList(list_, 0));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(ListPath()) && TableRows(list_).empty(); }));
  std::string text;
  ASSERT_TRUE(WaitUntil([&] { return (text = ReadText(ListPath())).find("</virlist>") != std::string::npos; }));
  EXPECT_NE(std::string::npos, text.find("name=\"A\" md5=\"\" num=\"1\"/>\r\n<vir name=\"B\" md5=\"\" num=\"1\"/>\r\n<vir name=\"C\""));
  EXPECT_EQ(store, ReadFileBytes(StorePath()));
}

TEST_F(ListFileTest, FlushCountsBothQueuesBeforeWritingTheList) {
  VirusRecord a = MakeVirusRecord(L"A", L"p", nullptr);
  VirusRecord b = MakeVirusRecord(L"B", L"p", nullptr);
  list_.queue0.Append(a);
  list_.queue1.Append(b);
  list_.queue1.Append(a);
  SetEvent(list_.flushEvent);
  EnsureVirusWorker(list_);
  std::string text;
  ASSERT_TRUE(WaitUntil([&] { return (text = ReadText(ListPath())).find("</virlist>") != std::string::npos; }));
  EXPECT_NE(std::string::npos, text.find("<vir name=\"A\" md5=\"\" num=\"2\"/>\r\n<vir name=\"B\" md5=\"\" num=\"1\"/>\r\n"))
      << text;
  EXPECT_TRUE(TableRows(list_).empty());
}

// With the heap full, the command must not delete a store whose counts it could not
// take in; what the table already held is still sent.
TEST_F(ListFileTest, StoredCountsCommandKeepsAStoreItHadNoRoomFor) {
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", (install_.path() + L"\\").c_str());
  std::wstring outbox = install_ / L"Outbox";
  SetEnvironmentVariableW(L"UPLOAD_OUTBOX", outbox.c_str());
  Count(L"A", nullptr, 2);
  std::vector<std::vector<uint8_t>> records;  // more rows than the table has spare room
  for (int i = 0; i < 20; ++i) records.push_back(StoreRecord("V" + std::to_string(i), "", 1));
  std::vector<uint8_t> other = Concat(records);
  testing_support::WriteFileBytes(VirusFolder() + L"\\other.exe.data", other.data(), other.size());
  {
    FailingGrowth noMemory;
    EXPECT_EQ(1, SendStoredVirusStores(list_, VirusFolder() + L"\\"));
  }
  EXPECT_EQ(other, ReadFileBytes(VirusFolder() + L"\\other.exe.data"));
  EXPECT_TRUE(TableRows(list_).empty());
  EXPECT_FALSE(FileExists(ListPath()));
  std::string sent = ReadText(outbox + L"\\report-00001\\attachment\\scanner.exe.xml");
  EXPECT_NE(std::string::npos, sent.find("<vir name=\"A\" md5=\"\" num=\"2\"/>\r\n</virlist>")) << sent;
}

}  // namespace
}  // namespace virus_testing
