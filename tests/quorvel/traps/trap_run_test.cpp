// The machinery around every trap: the gate that the removal closes, a fault inside
// the trap path, and what a trap leaves of the faulting thread's state.
#include <gtest/gtest.h>

#include "traps/trap_gate.h"
#include "traps/traps.h"
#include "trap_fixture.h"

namespace {

struct GateVisit {
  HANDLE inside;
  HANDLE release;
};

DWORD WINAPI StayInside(void* argument) {
  GateVisit* visit = static_cast<GateVisit*>(argument);
  if (!EnterTrapGate()) return 1;
  SetEvent(visit->inside);
  WaitForSingleObject(visit->release, INFINITE);
  LeaveTrapGate();
  return 0;
}

DWORD WINAPI Close(void*) {
  CloseTrapGate();
  return 0;
}

class TrapGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    visit_.inside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    visit_.release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OpenTrapGate();
    visitor_ = CreateThread(nullptr, 0, StayInside, &visit_, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(visit_.inside, 5000));
  }
  void TearDown() override {
    SetEvent(visit_.release);
    WaitForSingleObject(visitor_, 5000);
    CloseTrapGate();
    CloseHandle(visitor_);
    CloseHandle(visit_.inside);
    CloseHandle(visit_.release);
  }
  GateVisit visit_;
  HANDLE visitor_ = nullptr;
};

// The removal's caller unmaps the view next: it must not go on while a trap reads it.
TEST_F(TrapGateTest, ClosingWaitsForATrapInsideAndTurnsNewOnesAway) {
  HANDLE closer = CreateThread(nullptr, 0, Close, nullptr, 0, nullptr);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(closer, 300));
  EXPECT_FALSE(EnterTrapGate());
  SetEvent(visit_.release);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(closer, 1000));
  CloseHandle(closer);
}

// A thread that never leaves (suspended by a debugger, say) must not hang the shutdown.
TEST_F(TrapGateTest, ClosingGivesUpOnATrapThatNeverLeaves) {
  const DWORD start = GetTickCount();
  CloseTrapGate();
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited + 50, kTrapGateWaitMs);
  EXPECT_LT(waited, kTrapGateWaitMs + 1000);
}

constexpr DWORD kHostCode = 0xE0000001;
volatile LONG accessViolations = 0;
volatile LONG hostExceptions = 0;

LONG CALLBACK CountLast(EXCEPTION_POINTERS* pointers) {
  if (pointers->ExceptionRecord->ExceptionCode == 0xC0000005) InterlockedIncrement(&accessViolations);
  if (pointers->ExceptionRecord->ExceptionCode == kHostCode) InterlockedIncrement(&hostExceptions);
  return EXCEPTION_CONTINUE_SEARCH;
}

// The host's own frame handler: dismisses its exception and lets execution go on.
EXCEPTION_DISPOSITION __cdecl HostDismisses(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) == 0 &&
      record->ExceptionCode == kHostCode) {
    return ExceptionContinueExecution;
  }
  return ExceptionContinueSearch;
}

class TrapPathTest : public TrapTest {
 protected:
  void SetUp() override {
    TrapTest::SetUp();
    Publish();
    OpenTrapGate();
  }
  void TearDown() override {
    CloseTrapGate();
    TrapTest::TearDown();
  }
};

// The view has gone from under a running trap (another thread closed the report
// file): reading it faults inside the frontstop. That fault must neither be trapped
// again nor end the process; the host's exception then takes its normal course.
TEST_F(TrapPathTest, FaultInsideTheFrontstopIsContainedOnce) {
  void* gone = VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS);
  reporter_->reportView = static_cast<ReportFile*>(gone);
  accessViolations = 0;
  hostExceptions = 0;
  OnFreshThread([] {
    PVOID counter = AddVectoredExceptionHandler(0, CountLast);
    PVOID frontstop = AddVectoredExceptionHandler(1, FrontstopHandler);
    {
      PushedRecord host(reinterpret_cast<const void*>(&HostDismisses));
      RaiseException(kHostCode, 0, 0, nullptr);
    }
    RemoveVectoredExceptionHandler(frontstop);
    RemoveVectoredExceptionHandler(counter);
  });
  EXPECT_EQ(1, accessViolations);
  EXPECT_EQ(1, hostExceptions);
  reporter_->reportView = nullptr;
  VirtualFree(gone, 0, MEM_RELEASE);
}

struct HeapFreeRaise {
  HANDLE ready;
  HANDLE go;
  HANDLE done;
};

DWORD WINAPI RaiseWhenTold(void* argument) {
  HeapFreeRaise* raise = static_cast<HeapFreeRaise*>(argument);
  SetEvent(raise->ready);  // the thread's start, which allocates, is over
  WaitForSingleObject(raise->go, INFINITE);
  PushedRecord host(reinterpret_cast<const void*>(&HostDismisses));
  RaiseException(kHostCode, 0, 0, nullptr);
  SetEvent(raise->done);
  return 0;
}

// Whether a handled exception completes on another thread while the given heap is
// locked, with the frontstop in place or not.
bool CompletesWithHeapLocked(HANDLE heap, bool frontstop) {
  HeapFreeRaise raise{CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr),
                      CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE thread = CreateThread(nullptr, 0, RaiseWhenTold, &raise, 0, nullptr);
  PVOID handler = frontstop ? AddVectoredExceptionHandler(1, FrontstopHandler) : nullptr;
  WaitForSingleObject(raise.ready, 5000);
  HeapLock(heap);
  SetEvent(raise.go);
  const DWORD waited = WaitForSingleObject(raise.done, 2000);
  HeapUnlock(heap);
  WaitForSingleObject(thread, 5000);
  if (handler != nullptr) RemoveVectoredExceptionHandler(handler);
  CloseHandle(thread);
  CloseHandle(raise.ready);
  CloseHandle(raise.go);
  CloseHandle(raise.done);
  return waited == WAIT_OBJECT_0;
}

// The frontstop runs for every exception of the process, also while another thread
// holds a heap's lock: its whole path up to the decision, with a module lookup,
// allocates nothing, so it finishes wherever the exception alone does. (The C
// runtime's case-blind comparison failed this: on a thread's first call it sets up
// the thread's data from the process heap.)
TEST_F(TrapPathTest, FrontstopDecidesWithTheHeapsLocked) {
  runtimeConfig.rules = {Rule(false, kHostCode, kHostCode, WhereBoth, L"nosuchmodule")};
  HANDLE heaps[64];
  const DWORD count = GetProcessHeaps(64, heaps);
  ASSERT_GT(count, 0u);
  ASSERT_LE(count, 64u);
  DWORD checked = 0;
  for (DWORD i = 0; i < count; ++i) {
    // A heap the exception alone cannot do without tells nothing about the trap.
    if (!CompletesWithHeapLocked(heaps[i], false)) continue;
    EXPECT_TRUE(CompletesWithHeapLocked(heaps[i], true)) << "heap " << i;
    ++checked;
  }
  EXPECT_GT(checked, 0u) << "no heap to check";
}

// A host that handles an exception may look at its last-error value afterwards.
TEST_F(TrapPathTest, TrapsKeepTheThreadsLastError) {
  BuiltException exception(kHostCode);
  reporterInstance = nullptr;  // every trap runs its decision and reports nothing
  runtimeConfig.rules = {Rule(false, kHostCode, kHostCode, WhereBoth, L"somemodule")};
  for (auto trap : {FrontstopHandler, BackstopHandler, UnhandledFilter}) {
    SetLastError(1234);
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, trap(exception.pointers()));
    EXPECT_EQ(1234u, GetLastError());
  }
}

}  // namespace
