// The store file: load at attach, save at detach, literal 132-byte records.
#include <gtest/gtest.h>

#include "virus/virus_queue.h"
#include "virus/virus_store.h"
#include "virus/virus_worker.h"
#include "virus_fixture.h"

namespace virus_testing {
namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

using StoreTest = VirusListTest;

void WriteStore(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
}

TEST_F(StoreTest, FirstLoadMakesTheFolderAndNoFile) {
  Attach();
  EXPECT_TRUE(GetFileAttributesW(VirusFolder().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(TableRows(list_).empty());
  EXPECT_FALSE(FileExists(StorePath()));
  EXPECT_FALSE(FileExists(ListPath()));
  EXPECT_EQ(StorePath(), list_.storePath);
  EXPECT_EQ(ListPath(), list_.listPath);
}

TEST_F(StoreTest, LoadTakesWholeRecordsOnly) {
  struct Case {
    size_t size;
    size_t rows;
  } cases[] = {{131, 0}, {132, 1}, {300, 2}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = Concat({StoreRecord("A", "", 2), StoreRecord("B", "d", 1), StoreRecord("C", "", 9)});
    bytes.resize(c.size);
    WriteStore(StorePath(), bytes);
    CVirusList list;
    AttachVirusList(list, VirusFolder(), L"\\scanner.exe");
    std::vector<Row> rows = TableRows(list);
    EXPECT_EQ(c.rows, rows.size()) << c.size;
    if (c.rows == 2) {
      EXPECT_EQ((std::vector<Row>{{"A", "", 2}, {"B", "d", 1}}), rows);
    }
  }
}

TEST_F(StoreTest, LoadWithoutResetAppendsEvenTheSameVirus) {
  WriteStore(StorePath(), StoreRecord("A", "", 2));
  Attach();
  std::wstring other = VirusFolder() + L"\\other.exe.data";
  WriteStore(other, Concat({StoreRecord("A", "", 3), StoreRecord("B", "", 1)}));
  EXPECT_EQ(kStoreDone, LoadVirusStore(list_, other, 0));
  EXPECT_EQ((std::vector<Row>{{"A", "", 2}, {"A", "", 3}, {"B", "", 1}}), TableRows(list_));

  // A short file leaves the table alone even with reset.
  WriteStore(other, std::vector<uint8_t>(100, 'x'));
  EXPECT_EQ(kStoreDone, LoadVirusStore(list_, other, 1));
  EXPECT_EQ(3u, TableRows(list_).size());
}

TEST_F(StoreTest, UnloadWritesThreeRecordsAndTheNextLoadRestoresThem) {
  Attach();
  list_.workerWaitMs = 5000;  // the worker sleeps through the burst; the unload counts it
  for (const wchar_t* name : {L"A", L"B", L"A", L"C"}) QueueVirusRecord(list_, MakeVirusRecord(name, L"p", nullptr));
  DetachVirusList(list_);

  std::vector<uint8_t> bytes = ReadFileBytes(StorePath());
  ASSERT_EQ(396u, bytes.size());
  std::vector<Row> expected = {{"A", "", 2}, {"B", "", 1}, {"C", "", 1}};
  EXPECT_EQ(expected, StoreRows(bytes));
  EXPECT_TRUE(TableRows(list_).empty());

  CVirusList next;
  AttachVirusList(next, VirusFolder(), L"\\scanner.exe");
  EXPECT_EQ(expected, TableRows(next));
}

// Both queues still hold detections when the unload comes: the older queue is
// counted first, and nothing is left behind.
TEST_F(StoreTest, UnloadCountsBothQueuesBeforeSaving) {
  Attach();
  list_.workerRunning = 1;  // no worker: the queues stay as built here
  list_.fillQueue = 1;      // queue0 is the older one
  list_.queue0.Append(MakeVirusRecord(L"A", L"p", nullptr));
  list_.queue0.Append(MakeVirusRecord(L"B", L"p", nullptr));
  list_.queue1.Append(MakeVirusRecord(L"C", L"p", nullptr));
  list_.queue1.Append(MakeVirusRecord(L"A", L"p", nullptr));
  DetachVirusList(list_);
  EXPECT_EQ((std::vector<Row>{{"A", "", 2}, {"B", "", 1}, {"C", "", 1}}), StoreRows(ReadFileBytes(StorePath())));
  EXPECT_TRUE(list_.queue0.empty());
  EXPECT_TRUE(list_.queue1.empty());
  list_.workerRunning = 0;
}

TEST_F(StoreTest, UnloadWithAnEmptyTableLeavesTheStoreFileAlone) {
  std::vector<uint8_t> old = StoreRecord("Old", "", 7);
  old.resize(140, 'z');
  WriteStore(StorePath(), old);
  Attach();
  EXPECT_EQ(kStoreDone, SaveVirusStore(list_));  // the table holds Old: written and emptied
  EXPECT_EQ(132u, ReadFileBytes(StorePath()).size());
  WriteStore(StorePath(), old);
  DetachVirusList(list_);
  EXPECT_EQ(old, ReadFileBytes(StorePath()));
}

DWORD WINAPI TakeMutexAndEnd(void* mutex) {
  WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
  return 0;  // ends still owning it: the mutex is abandoned
}

// A thread that ended while holding queueMutex (terminated at unload or at process
// exit) must not lock intake and the save out for good.
TEST_F(StoreTest, AbandonedMutexStillLetsIntakeAndSaveWork) {
  Attach();
  HANDLE thread = CreateThread(nullptr, 0, &TakeMutexAndEnd, list_.queueMutex, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  QueueVirusRecord(list_, MakeVirusRecord(L"A", L"p", nullptr));
  DetachVirusList(list_);
  EXPECT_EQ((std::vector<Row>{{"A", "", 1}}), StoreRows(ReadFileBytes(StorePath())));
}

TEST_F(StoreTest, TableThatCannotHoldTheFileTakesNothingFromIt) {
  WriteStore(StorePath(), StoreRecord("A", "", 2));
  Attach();
  std::wstring other = VirusFolder() + L"\\other.exe.data";
  std::vector<std::vector<uint8_t>> records;
  for (int i = 0; i < 20; ++i) records.push_back(StoreRecord("V" + std::to_string(i), "", 1));
  WriteStore(other, Concat(records));
  {
    FailingGrowth noMemory;
    EXPECT_EQ(kStoreNoMemory, LoadVirusStore(list_, other, 1));
  }
  EXPECT_EQ((std::vector<Row>{{"A", "", 2}}), TableRows(list_));
}

}  // namespace
}  // namespace virus_testing
