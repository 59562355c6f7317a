#include "traps/rescue_stack.h"

#include <gtest/gtest.h>

#include <cstring>

#include "traps/thread_block.h"
#include "trap_fixture.h"

namespace {

struct Visit {
  DWORD threadId = 0;
  void* stackBase = nullptr;
  int deepest = 0;
};

volatile LONG onRescueStack = 0;
volatile LONG mostAtOnce = 0;

// Uses far more stack than an overflowed thread has left.
void DeepWork(void* argument) {
  LONG now = InterlockedIncrement(&onRescueStack);
  if (now > mostAtOnce) InterlockedExchange(&mostAtOnce, now);
  Visit* visit = static_cast<Visit*>(argument);
  volatile char big[128 * 1024];
  memset(const_cast<char*>(big), 7, sizeof(big));
  visit->deepest = big[sizeof(big) - 1];
  visit->threadId = GetCurrentThreadId();
  visit->stackBase = CurrentThreadBlock()->StackBase;
  Sleep(20);
  InterlockedDecrement(&onRescueStack);
}

class RescueStackTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareRescueStack(); }
  void TearDown() override { ReleaseRescueStack(); }
};

TEST_F(RescueStackTest, WorkRunsOnTheCallingThreadOnAnotherStack) {
  OnFreshThread([] {
    void* ownStack = CurrentThreadBlock()->StackBase;
    Visit visit;
    RunOnRescueStack(DeepWork, &visit);
    EXPECT_EQ(7, visit.deepest);
    EXPECT_EQ(GetCurrentThreadId(), visit.threadId);
    EXPECT_NE(ownStack, visit.stackBase);
    EXPECT_EQ(ownStack, CurrentThreadBlock()->StackBase);
    EXPECT_FALSE(IsThreadAFiber());
    // The stack serves again.
    Visit again;
    RunOnRescueStack(DeepWork, &again);
    EXPECT_EQ(visit.stackBase, again.stackBase);
  });
}

TEST_F(RescueStackTest, AThreadThatIsAFiberStaysOne) {
  OnFreshThread([] {
    void* own = ConvertThreadToFiber(nullptr);
    ASSERT_NE(nullptr, own);
    Visit visit;
    RunOnRescueStack(DeepWork, &visit);
    EXPECT_EQ(7, visit.deepest);
    EXPECT_TRUE(IsThreadAFiber());
    EXPECT_EQ(own, CurrentThreadBlock()->FiberData);
    ConvertFiberToThread();
  });
}

DWORD WINAPI UseRescueStack(void* visit) {
  RunOnRescueStack(DeepWork, visit);
  return 0;
}

TEST_F(RescueStackTest, ThreadsTakeTurns) {
  mostAtOnce = 0;
  Visit visits[3];
  HANDLE threads[3];
  for (int i = 0; i < 3; ++i) threads[i] = CreateThread(nullptr, 0, UseRescueStack, &visits[i], 0, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(3, threads, TRUE, 10000));
  for (HANDLE thread : threads) CloseHandle(thread);
  for (const Visit& visit : visits) EXPECT_EQ(7, visit.deepest);
  EXPECT_EQ(1, mostAtOnce);
}

TEST_F(RescueStackTest, WithoutAReserveStackWorkRunsInPlace) {
  ReleaseRescueStack();
  OnFreshThread([] {
    Visit visit;
    RunOnRescueStack(DeepWork, &visit);
    EXPECT_EQ(CurrentThreadBlock()->StackBase, visit.stackBase);
  });
}

}  // namespace
