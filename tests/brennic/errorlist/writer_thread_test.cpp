// The writer as a real thread, started by intake: order of entries, the pass on
// which they appear, a second writer, and the bounded wait of the unload step.
#include <process.h>

#include <thread>

#include "error_list_fixture.h"
#include "errorlist/error_intake.h"
#include "errorlist/error_writer.h"

using namespace testing_support;

namespace {

HANDLE Duplicate(HANDLE handle) {
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
  return copy;
}

using ErrorWriterThread = ErrorListTest;

// The intake's own wake-up gives the first pass, which drains the other queue; the
// entry comes with the second pass, about five seconds later in a quiet process.
TEST_F(ErrorWriterThread, SingleEntryAppearsOnTheSecondPass) {
  QueueErrorEvent(list_, L"7", L"disk full");
  Sleep(1500);
  EXPECT_EQ(0u, CountOf(ListText(), "<err ")) << "written before the second pass";
  DWORD started = GetTickCount();
  ASSERT_TRUE(WaitForEntries(1, 9000)) << ListText();
  EXPECT_GT(GetTickCount() - started, 2500u);
  EXPECT_NE(std::string::npos, ListText().find("<err id=\"7\" info=\"disk full\" time=\""));
}

// Each intake wakes the writer again, so a burst is written across several passes;
// the drained queue always holds the older events. A wake-up that comes while a
// pass runs is reset with it, so the last events may wait for two timed passes.
TEST_F(ErrorWriterThread, WritesABurstInIntakeOrder) {
  for (int i = 0; i < 10; ++i) {
    std::wstring id = std::to_wstring(i);
    QueueErrorEvent(list_, id.c_str(), L"burst");
    Sleep(i % 3 == 0 ? 20 : 0);
  }
  ASSERT_TRUE(WaitForEntries(10, 12000)) << ListText();

  std::string text = ListText();
  size_t previous = 0;
  for (int i = 0; i < 10; ++i) {
    size_t at = text.find("<err id=\"" + std::to_string(i) + "\" info=\"burst\" time=\"");
    ASSERT_NE(std::string::npos, at) << i;
    EXPECT_GT(at, previous) << i;
    previous = at;
  }
  EXPECT_EQ(1u, CountOf(text, "</errList>\r\n"));
  EXPECT_EQ(text.size() - 12, text.rfind("</errList>\r\n"));
}

// Null texts become empty attribute values. The first queued call goes to queue1.
TEST_F(ErrorWriterThread, QueuesNullTextsAsEmptyIntoQueueOne) {
  QueueErrorEvent(list_, nullptr, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(list_.queueMutex, 2000));
  ASSERT_EQ(1u, list_.queue1.size());
  EXPECT_EQ(L"", list_.queue1[0].id);
  EXPECT_EQ(L"", list_.queue1[0].info);
  EXPECT_GE(list_.queue1[0].time.wYear, 2020);
  ReleaseMutex(list_.queueMutex);
  ASSERT_TRUE(WaitForEntries(1, 9000));
  EXPECT_NE(std::string::npos, ListText().find("<err id=\"\" info=\"\" time=\""));
}

// While the writer holds the queues for longer than two seconds the event is lost,
// but the call still returns and still wakes the writer.
TEST_F(ErrorWriterThread, IntakeDropsTheEventWhenTheMutexStaysBusy) {
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(list_.queueMutex, 0));
  DWORD elapsed = 0;
  std::thread intake([&] {
    DWORD started = GetTickCount();
    QueueErrorEvent(list_, L"7", L"lost");
    elapsed = GetTickCount() - started;
  });
  intake.join();
  ReleaseMutex(list_.queueMutex);
  EXPECT_GE(elapsed, 1900u);
  EXPECT_LT(elapsed, 3500u);
  EXPECT_TRUE(list_.queue0.empty());
  EXPECT_TRUE(list_.queue1.empty());
  EXPECT_TRUE(WaitForWriterRunning(1, 2000)) << "a writer was started anyway";
}

// A writer thread that finds a loop running ends at once and changes nothing.
TEST_F(ErrorWriterThread, SecondWriterEndsAtOnceAndLeavesTheRunningOne) {
  ASSERT_TRUE(StartErrorWriterIfIdle(list_));
  HANDLE running = list_.writerThread;
  ASSERT_NE(nullptr, running);

  ErrorWriterStart* start = new ErrorWriterStart();
  start->list = &list_;
  HANDLE second = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunErrorListWriter, start, 0, nullptr));
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 2000));
  CloseHandle(second);
  EXPECT_EQ(1, list_.writerRunning);
  EXPECT_EQ(running, list_.writerThread);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(running, 0));
}

// Two intakes in a row, before the first one's thread ran: only one thread starts,
// and writerThread names it, so that the unload step waits for the right one.
TEST_F(ErrorWriterThread, RacingStartsLeaveTheHandleOfTheRunningLoop) {
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(StartErrorWriterIfIdle(list_)) << "round " << round;
    EXPECT_FALSE(StartErrorWriterIfIdle(list_)) << "round " << round;
    Sleep(200);
    HANDLE published = list_.writerThread;
    ASSERT_NE(nullptr, published);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(published, 0)) << "round " << round;
    SetEvent(list_.stopEvent);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(published, 3000)) << "round " << round;
    ASSERT_TRUE(WaitForWriterRunning(0, 1000));
  }
}

TEST_F(ErrorWriterThread, WithoutItsEventsAndMutexTheWriterDoesNotRun) {
  CErrorList bare;
  bare.listPath = list_.listPath;
  ASSERT_TRUE(StartErrorWriterIfIdle(bare));
  Sleep(300);
  HANDLE thread = bare.writerThread;
  ASSERT_NE(nullptr, thread);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 2000));
  EXPECT_EQ(0, bare.writerRunning);
}

TEST_F(ErrorWriterThread, UnloadWithoutWriterReturnsAtOnce) {
  DWORD started = GetTickCount();
  DetachErrorList(list_);
  EXPECT_LT(GetTickCount() - started, 100u);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(list_.stopEvent, 0));
}

// A writer stuck in its pass (here: waiting for the mutex the test holds) is given
// five waits of 200 ms, then ended.
TEST_F(ErrorWriterThread, UnloadEndsABlockedWriterAfterFiveWaits) {
  StartErrorWriterIfIdle(list_);
  ASSERT_TRUE(WaitForWriterRunning(1, 2000));
  HANDLE writer = Duplicate(list_.writerThread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(list_.queueMutex, 2000));
  SetEvent(list_.newEntryEvent);
  Sleep(100);

  DWORD started = GetTickCount();
  DetachErrorList(list_);
  DWORD elapsed = GetTickCount() - started;
  ReleaseMutex(list_.queueMutex);

  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 1400u);
  EXPECT_EQ(nullptr, list_.writerThread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(writer, 1000)) << "the writer was ended";
  DWORD code = 1;
  GetExitCodeThread(writer, &code);
  EXPECT_EQ(0u, code);
  CloseHandle(writer);
}

// A writer thread that has been started but has not run yet: here it waits for the
// loader lock, which a library's attach holds on another thread (as the unload step
// holds it while a host frees the library). Unloading must end that thread, not
// leave it to run once the library is gone.
TEST_F(ErrorWriterThread, UnloadEndsAWriterThatHasNotStartedYet) {
  std::wstring entered = L"slow_attach_entered_" + std::to_wstring(GetCurrentProcessId());
  HANDLE enteredEvent = CreateEventW(nullptr, TRUE, FALSE, entered.c_str());
  std::thread loader([] { FreeLibrary(LoadLibraryW(BuiltFile(L"slow_attach.dll").c_str())); });
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(enteredEvent, 5000));

  ASSERT_TRUE(StartErrorWriterIfIdle(list_));
  HANDLE writer = Duplicate(list_.writerThread);
  Sleep(100);
  DWORD started = GetTickCount();
  DetachErrorList(list_);
  DWORD elapsed = GetTickCount() - started;
  loader.join();
  CloseHandle(enteredEvent);

  EXPECT_GE(elapsed, 950u) << "waited for the starting writer";
  EXPECT_EQ(nullptr, list_.writerThread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(writer, 1000));
  Sleep(300);
  EXPECT_EQ(1, list_.fillQueue) << "no pass ran after the unload";
  CloseHandle(writer);
}

}  // namespace
