// Counting detections: the merge rule, the two queues, drain passes and the worker.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "virus/virus_counts.h"
#include "virus/virus_queue.h"
#include "virus/virus_worker.h"
#include "virus_fixture.h"

namespace virus_testing {
namespace {

VirusRecord Detection(const wchar_t* name, const wchar_t* md5 = nullptr) {
  return MakeVirusRecord(name, L"C:\\infected.exe", md5);
}

TEST(MergeRecords, CountsPerNameAndDigestInOrderOfFirstAppearance) {
  VirusTable table;
  VirusRecord records[] = {Detection(L"A"), Detection(L"A", L"d"), Detection(L"a"), Detection(L"A")};
  EXPECT_EQ(4u, MergeRecords(table, records, 4));
  ASSERT_EQ(3u, table.size());
  EXPECT_STREQ("A", table[0].name);
  EXPECT_STREQ("", table[0].md5);
  EXPECT_EQ(2, table[0].num);
  EXPECT_STREQ("d", table[1].md5);
  EXPECT_EQ(1, table[1].num);
  EXPECT_STREQ("a", table[2].name);  // case matters
}

TEST(MergeRecords, CountStopsAtItsLimitInsteadOfWrapping) {
  VirusTable table;
  VirusRecord a = Detection(L"A");
  MergeRecords(table, &a, 1);
  table[0].num = INT32_MAX;
  MergeRecords(table, &a, 1);
  EXPECT_EQ(INT32_MAX, table[0].num);
  EXPECT_EQ(INT32_MIN, AddCounts(INT32_MIN, -1));
}

// A store row whose name fills all 64 bytes has no terminator; it still matches
// only itself.
TEST(MergeEntries, AddsNumsOfEqualRowsAndHandlesUnterminatedNames) {
  VirusTable rows;
  VirusEntry full;
  std::memset(&full, 'n', sizeof(full.name));
  std::memset(full.md5, 0, sizeof(full.md5));
  full.num = 2;
  VirusEntry a = {};
  std::strcpy(a.name, "A");
  a.num = 3;
  rows.Append(full);
  rows.Append(a);
  rows.Append(full);
  VirusTable merged;
  ASSERT_TRUE(MergeEntries(merged, rows));
  ASSERT_EQ(2u, merged.size());
  EXPECT_EQ(4, merged[0].num);
  EXPECT_EQ(3, merged[1].num);
}

using QueueTest = AttachedVirusListTest;

// No worker here: the passes are run by hand.
TEST_F(QueueTest, FirstDetectionGoesToQueue1AndReachesTheTableOnTheSecondPass) {
  list_.workerRunning = 1;
  QueueVirusRecord(list_, Detection(L"A"));
  EXPECT_EQ(1u, list_.queue1.size());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(list_.newEntryEvent, 0));

  int idle = 0;
  DrainPass(list_, list_.queueMutex, idle);  // drains the empty queue0 and flips
  EXPECT_EQ(0, list_.fillQueue);
  EXPECT_EQ(1, idle);
  EXPECT_TRUE(TableRows(list_).empty());

  DrainPass(list_, list_.queueMutex, idle);
  EXPECT_EQ((std::vector<Row>{{"A", "", 1}}), TableRows(list_));
  EXPECT_TRUE(list_.queue1.empty());
  EXPECT_EQ(1, list_.fillQueue);
  EXPECT_EQ(0, idle);
  list_.workerRunning = 0;
}

TEST_F(QueueTest, WorkerCountsDetectionsWithAndWithoutDigest) {
  QueueVirusRecord(list_, Detection(L"A"));
  QueueVirusRecord(list_, Detection(L"A", L"d"));
  QueueVirusRecord(list_, Detection(L"A"));
  std::vector<Row> expected = {{"A", "", 2}, {"A", "d", 1}};
  EXPECT_TRUE(WaitUntil([&] { return TableRows(list_) == expected; }));
  EXPECT_EQ(expected, TableRows(list_));
}

TEST_F(QueueTest, WorkerEndsAfterTenQuietPassesAndTheNextDetectionStartsAnother) {
  DWORD start = GetTickCount();
  EnsureVirusWorker(list_);
  HANDLE first = list_.workerThread;
  ASSERT_NE(nullptr, first);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 5000));
  EXPECT_GE(GetTickCount() - start, 10 * 20u - 20);  // ten waits of 20 ms
  EXPECT_EQ(0, list_.workerRunning);

  QueueVirusRecord(list_, Detection(L"A"));
  EXPECT_NE(first, list_.workerThread);
  EXPECT_EQ(1, list_.workerRunning);
  EXPECT_TRUE(WaitUntil([&] { return TableRows(list_).size() == 1; }));
}

TEST_F(QueueTest, SecondWorkerEndsAtOnceAndLeavesTheFirstRunning) {
  EnsureVirusWorker(list_);
  HANDLE running = list_.workerThread;
  EXPECT_EQ(nullptr, StartVirusWorker(list_));
  RunVirusWorker(VirusWorkerStart{&list_, false});  // returns at once
  EXPECT_EQ(1, list_.workerRunning);
  EnsureVirusWorker(list_);
  EXPECT_EQ(running, list_.workerThread);
}

TEST_F(QueueTest, QuietEndResumesOnlyForPendingWorkNobodyElseTook) {
  struct Case {
    bool newEntry;
    bool flush;
    LONG running;  // workerRunning when the loop looks again
    bool resumes;
  } cases[] = {
      {false, false, 0, false},
      {true, false, 0, true},
      {false, true, 0, true},
      {true, true, 1, false},  // another worker was started meanwhile
  };
  for (const Case& c : cases) {
    ResetEvent(list_.newEntryEvent);
    ResetEvent(list_.flushEvent);
    if (c.newEntry) SetEvent(list_.newEntryEvent);
    if (c.flush) SetEvent(list_.flushEvent);
    list_.workerRunning = c.running;
    EXPECT_EQ(c.resumes, ResumeAfterQuietEnd(list_)) << c.newEntry << c.flush << c.running;
    EXPECT_EQ(c.resumes || c.running ? 1 : 0, list_.workerRunning);
  }
  list_.workerRunning = 0;
}

DWORD WINAPI HoldMutex(void* parameter) {
  CVirusList* list = static_cast<CVirusList*>(parameter);
  WaitForSingleObject(list->queueMutex, INFINITE);
  Sleep(2600);
  ReleaseMutex(list->queueMutex);
  return 0;
}

TEST_F(QueueTest, IntakeGivesUpAfterTwoSecondsWhileTheMutexIsHeldElsewhere) {
  list_.workerRunning = 1;
  HANDLE holder = CreateThread(nullptr, 0, &HoldMutex, &list_, 0, nullptr);
  Sleep(100);
  DWORD start = GetTickCount();
  QueueVirusRecord(list_, Detection(L"A"));
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 1900u);
  EXPECT_LT(took, 2500u);
  WaitForSingleObject(holder, INFINITE);
  CloseHandle(holder);
  EXPECT_TRUE(list_.queue0.empty());
  EXPECT_TRUE(list_.queue1.empty());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(list_.newEntryEvent, 0));  // still woken
  list_.workerRunning = 0;
}

struct MutexProbe {
  HANDLE mutex;
  DWORD result;
};

DWORD WINAPI TryMutex(void* parameter) {
  MutexProbe* probe = static_cast<MutexProbe*>(parameter);
  probe->result = WaitForSingleObject(probe->mutex, 0);
  if (probe->result == WAIT_OBJECT_0) ReleaseMutex(probe->mutex);
  return 0;
}

// True when another thread can take the mutex right now.
bool MutexIsFree(HANDLE mutex) {
  MutexProbe probe = {mutex, WAIT_FAILED};
  HANDLE thread = CreateThread(nullptr, 0, &TryMutex, &probe, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return probe.result == WAIT_OBJECT_0;
}

TEST_F(QueueTest, FullHeapDropsTheDetectionAndReleasesTheMutex) {
  list_.workerRunning = 1;
  {
    FailingGrowth noMemory;
    QueueVirusRecord(list_, Detection(L"A"));
  }
  EXPECT_TRUE(list_.queue1.empty());
  EXPECT_TRUE(MutexIsFree(list_.queueMutex));
  QueueVirusRecord(list_, Detection(L"B"));
  EXPECT_EQ(1u, list_.queue1.size());
  list_.workerRunning = 0;
}

// Records the table has no room for wait at the front of their queue; nothing is
// counted twice or lost once memory is back.
TEST_F(QueueTest, FullHeapDuringAPassKeepsUncountedRecordsQueued) {
  list_.workerRunning = 1;
  list_.fillQueue = 0;  // the next pass drains queue1
  VirusRecord a = Detection(L"A");
  VirusRecord b = Detection(L"B");
  list_.queue1.Append(a);
  int idle = 0;
  DrainPass(list_, list_.queueMutex, idle);  // A counted; the table has room for 16 rows
  for (int i = 0; i < 15; ++i) {
    VirusEntry filler = {};
    std::snprintf(filler.name, sizeof(filler.name), "F%d", i);
    filler.num = 1;
    list_.entries.Append(filler);
  }
  list_.queue1.Append(a);
  list_.queue1.Append(b);
  list_.queue1.Append(a);
  list_.fillQueue = 0;
  {
    FailingGrowth noMemory;
    DrainPass(list_, list_.queueMutex, idle);
  }
  EXPECT_TRUE(MutexIsFree(list_.queueMutex));
  EXPECT_EQ(2, TableRows(list_)[0].num);
  ASSERT_EQ(2u, list_.queue1.size());  // B and the A behind it
  EXPECT_STREQ("B", list_.queue1[0].name);

  list_.fillQueue = 0;
  DrainPass(list_, list_.queueMutex, idle);
  std::vector<Row> rows = TableRows(list_);
  ASSERT_EQ(17u, rows.size());
  EXPECT_EQ((Row{"A", "", 3}), rows[0]);
  EXPECT_EQ((Row{"B", "", 1}), rows[16]);
  list_.workerRunning = 0;
}

}  // namespace
}  // namespace virus_testing
