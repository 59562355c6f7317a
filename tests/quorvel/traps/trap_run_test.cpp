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
