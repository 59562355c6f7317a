#include "traps/seh_guard.h"

#include <gtest/gtest.h>

#include "traps/handler_chain.h"
#include "trap_fixture.h"

namespace {

struct Probe {
  int steps = 0;
  volatile int* target = nullptr;
};

void WriteThrough(void* argument) {
  Probe* probe = static_cast<Probe*>(argument);
  ++probe->steps;
  *probe->target = 1;
  ++probe->steps;
}

void RaiseSoftware(void* argument) {
  ++static_cast<Probe*>(argument)->steps;
  RaiseException(0xE0001234, 0, 0, nullptr);
  ++static_cast<Probe*>(argument)->steps;
}

EXCEPTION_DISPOSITION __cdecl PassOn(EXCEPTION_RECORD*, void*, CONTEXT*, void*) { return ExceptionContinueSearch; }

// Faults with a record of its own pushed: the guard unwinds past it.
void FaultUnderOwnRecords(void* argument) {
  PushedRecord inner(reinterpret_cast<void*>(&PassOn));
  WriteThrough(argument);
}

void NestedGuard(void* argument) {
  Probe* probe = static_cast<Probe*>(argument);
  Probe inner{0, probe->target};
  EXPECT_FALSE(GuardedCall(WriteThrough, &inner));
  EXPECT_EQ(1, inner.steps);
  probe->steps = 10;
}

TEST(GuardedCall, RunsWorkAndStopsItsFaults) {
  volatile int good = 0;
  const struct {
    const char* what;
    void (*work)(void*);
    volatile int* target;
    bool completes;
    int steps;
  } cases[] = {
      {"no fault", WriteThrough, &good, true, 2},
      {"write to a low address", WriteThrough, reinterpret_cast<volatile int*>(0x10), false, 1},
      {"software exception", RaiseSoftware, nullptr, false, 1},
      {"fault under records pushed inside", FaultUnderOwnRecords, reinterpret_cast<volatile int*>(0x10), false, 1},
      {"a guard inside a guard stops the inner fault", NestedGuard, reinterpret_cast<volatile int*>(0x10), true,
       10},
  };
  OnFreshThread([&] {
    for (const auto& c : cases) {
      EXCEPTION_REGISTRATION_RECORD* head = CurrentChainHead();
      Probe probe{0, c.target};
      EXPECT_EQ(c.completes, GuardedCall(c.work, &probe)) << c.what;
      EXPECT_EQ(c.steps, probe.steps) << c.what;
      EXPECT_EQ(head, CurrentChainHead()) << c.what;
    }
  });
  EXPECT_EQ(1, good);
}

// The guard's record is the innermost one while the work runs.
TEST(GuardedCall, RegistersTheLibrarysOwnHandlerRoutine) {
  void* innermost = nullptr;
  GuardedCall([](void* out) { *static_cast<void**>(out) = WalkHandlerChain(CurrentChainHead()).innermostHandler; },
              &innermost);
  EXPECT_EQ(reinterpret_cast<void*>(&QuorvelGuardHandler), innermost);
}

}  // namespace
