// The three traps' decisions, called with exceptions built here and, for the
// frontstop, with handler chains built by pushing records on a new thread.
#include <gtest/gtest.h>

#include <vector>

#include "traps/seh_guard.h"
#include "traps/traps.h"
#include "trap_fixture.h"

namespace {

constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kStackOverflow = 0xC00000FD;

// Handler addresses inside made-up system module ranges. Records that carry them
// are never dispatched to.
constexpr uint32_t kRpcrt4 = 0x10000000, kNtdll = 0x20000000, kMsvcrt = 0x30000000, kCrt = 0x40000000;
const void* InRange(uint32_t low) { return reinterpret_cast<const void*>(low + 0x100); }

EXCEPTION_DISPOSITION __cdecl HostHandler(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
  return ExceptionContinueSearch;
}
const void* const kHostHandler = reinterpret_cast<const void*>(&HostHandler);
const void* const kGuardHandler = reinterpret_cast<const void*>(&QuorvelGuardHandler);

class TrapDecisionTest : public TrapTest {
 protected:
  void SetUp() override {
    TrapTest::SetUp();
    Publish();
    AddressRange* ranges = reporter_->systemModuleRanges;
    ranges[kRangeRpcrt4] = {kRpcrt4, kRpcrt4 + 0x1000};
    ranges[kRangeNtdll] = {kNtdll, kNtdll + 0x1000};
    ranges[kRangeMsvcrt] = {kMsvcrt, kMsvcrt + 0x1000};
    ranges[kRangeCrtMalloc] = {kCrt, kCrt + 0x1000};
  }

  // The frontstop's decision on a new thread whose chain holds `depth` records of
  // ours above the system's, the innermost with the given handler.
  bool FrontstopOn(int depth, const void* innermost, BuiltException& exception) {
    bool decided = false;
    OnFreshThread([&] {
      std::vector<PushedRecord*> records;
      for (int i = 0; i < depth; ++i) records.push_back(new PushedRecord(i + 1 == depth ? innermost : kHostHandler));
      decided = FrontstopDecides(CaptureTrapFacts(exception.pointers()));
      while (!records.empty()) {
        delete records.back();
        records.pop_back();
      }
    });
    return decided;
  }
};

TEST_F(TrapDecisionTest, FrontstopForcingRules) {
  const struct {
    const char* what;
    uint8_t initFlag;
    int depth;
    const void* innermost;
    uintptr_t exceptionAddress;
    bool report;
  } cases[] = {
      {"depth 0: only the system's outermost record", 0, 0, nullptr, 0x00401000, true},
      {"depth 1, a host handler", 0, 1, kHostHandler, 0x00401000, false},
      {"depth 2", 0, 2, kHostHandler, 0x00401000, true},
      {"depth 3", 0, 3, kHostHandler, 0x00401000, false},
      {"depth 1, the library's own handler routine", 0, 1, kGuardHandler, 0x00401000, true},
      {"depth 3, the library's own handler routine", 0, 3, kGuardHandler, 0x00401000, true},
      {"depth 1, handler in rpcrt4", 0, 1, InRange(kRpcrt4), 0x00401000, true},
      {"depth 1, handler in ntdll", 0, 1, InRange(kNtdll), 0x00401000, true},
      {"depth 1, handler in msvcrt", 0, 1, InRange(kMsvcrt), 0x00401000, true},
      {"depth 4, handler in the C runtime of malloc", 0, 4, InRange(kCrt), 0x00401000, true},
      {"depth 5, handler in the C runtime of malloc", 0, 5, InRange(kCrt), 0x00401000, false},
      {"depth 5, handler in msvcrt", 0, 5, InRange(kMsvcrt), 0x00401000, true},
      {"handler just below a range", 0, 1, reinterpret_cast<const void*>(kRpcrt4 - 1), 0x00401000, false},
      {"handler at a range's end, which is outside", 0, 1, reinterpret_cast<const void*>(kRpcrt4 + 0x1000),
       0x00401000, false},
      {"handler in rpcrt4, raised inside rpcrt4", 0, 1, InRange(kRpcrt4), kRpcrt4 + 0x10, false},
      {"depth 0, raised inside rpcrt4", 0, 0, nullptr, kRpcrt4 + 0x10, false},
      {"own routine, raised inside rpcrt4", 0, 1, kGuardHandler, kRpcrt4 + 0x10, false},
      {"handler in ntdll, raised inside ntdll", 0, 1, InRange(kNtdll), kNtdll + 0x10, true},
      // Limited mode: the ranges play no part.
      {"limited, depth 1, handler in rpcrt4", 1, 1, InRange(kRpcrt4), 0x00401000, false},
      {"limited, depth 4, handler in the C runtime", 1, 4, InRange(kCrt), 0x00401000, false},
      {"limited, depth 0", 1, 0, nullptr, 0x00401000, true},
      {"limited, depth 2", 1, 2, kHostHandler, 0x00401000, true},
      {"limited, own routine", 1, 1, kGuardHandler, 0x00401000, true},
      {"limited, depth 0, raised inside rpcrt4", 1, 0, nullptr, kRpcrt4 + 0x10, true},
  };
  for (const auto& c : cases) {
    View()->initFlag = c.initFlag;
    BuiltException exception(kAccessViolation, c.exceptionAddress);
    EXPECT_EQ(c.report, FrontstopOn(c.depth, c.innermost, exception)) << c.what;
  }
}

// The system's debugger-output routine raises and handles these itself: no chain
// shape forces them, only an include rule reports them.
TEST_F(TrapDecisionTest, DebuggerOutputIsNeverForced) {
  for (DWORD code : {0x40010006ul, 0x4001000Aul}) {
    BuiltException exception(code);
    EXPECT_FALSE(FrontstopOn(0, nullptr, exception)) << code;
    EXPECT_FALSE(FrontstopOn(2, kHostHandler, exception)) << code;
    EXPECT_FALSE(FrontstopOn(1, InRange(kNtdll), exception)) << code;
    runtimeConfig.rules = {Rule(false, code, code)};
    EXPECT_TRUE(FrontstopOn(2, kHostHandler, exception)) << code;
    runtimeConfig.rules.clear();
  }
}

// How each trap reads the verdict. The frontstop's chain is a host handler at
// depth 1 (nothing forces) or depth 0 (forced).
TEST_F(TrapDecisionTest, EachTrapReadsTheVerdictItsOwnWay) {
  const struct {
    const char* what;
    std::vector<ExceptionRule> rules;
    bool frontUnforced, frontForced, back, unhandled;
  } cases[] = {
      {"no rule matched", {}, false, true, true, true},
      {"exclude rule decided", {Rule(true, kAccessViolation, kAccessViolation)}, false, false, false, false},
      {"include rule decided", {Rule(false, kAccessViolation, kAccessViolation)}, true, true, true, false},
      {"include rule for the back only", {Rule(false, kAccessViolation, kAccessViolation, WhereBack)}, false, true,
       true, false},
      {"exclude rule for the back only", {Rule(true, kAccessViolation, kAccessViolation, WhereBack)}, false, true,
       false, false},
  };
  for (const auto& c : cases) {
    runtimeConfig.rules = c.rules;
    BuiltException exception(kAccessViolation);
    EXPECT_EQ(c.frontUnforced, FrontstopOn(1, kHostHandler, exception)) << c.what;
    EXPECT_EQ(c.frontForced, FrontstopOn(0, nullptr, exception)) << c.what;
    TrapFacts facts = CaptureTrapFacts(exception.pointers());
    EXPECT_EQ(c.back, BackstopDecides(facts)) << c.what;
    EXPECT_EQ(c.unhandled, UnhandledFilterDecides(facts)) << c.what;
  }
}

TEST_F(TrapDecisionTest, StackOverflowOnlyLimitsTheFrontstopAlone) {
  runtimeConfig.stackOverflowOnly = true;
  BuiltException accessViolation(kAccessViolation);
  EXPECT_TRUE(FrontstopIgnoresCode(kAccessViolation));
  EXPECT_FALSE(FrontstopOn(0, nullptr, accessViolation));
  TrapFacts facts = CaptureTrapFacts(accessViolation.pointers());
  EXPECT_TRUE(BackstopDecides(facts));
  EXPECT_TRUE(UnhandledFilterDecides(facts));

  BuiltException overflow(kStackOverflow);
  EXPECT_FALSE(FrontstopIgnoresCode(kStackOverflow));
  EXPECT_TRUE(FrontstopOn(0, nullptr, overflow));
  // Still subject to the forcing rules and the rules.
  EXPECT_FALSE(FrontstopOn(1, kHostHandler, overflow));
  runtimeConfig.rules = {Rule(false, kStackOverflow, kStackOverflow)};
  EXPECT_TRUE(FrontstopOn(1, kHostHandler, overflow));

  runtimeConfig.stackOverflowOnly = false;
  EXPECT_FALSE(FrontstopIgnoresCode(kAccessViolation));
}

// Every trap stays silent on a bypassed thread and without a reporter; a counter
// taken below 0 by an unbalanced end does not bypass. No rules, and a chain of one
// record (depth 0): every trap would report otherwise.
TEST_F(TrapDecisionTest, BypassDepthAndMissingReporter) {
  BuiltException exception(kAccessViolation);
  EXCEPTION_REGISTRATION_RECORD outermost{};
  outermost.Next = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(0xFFFFFFFF);
  const struct {
    const char* what;
    int32_t bypassDepth;
    bool published;
    bool report;
  } cases[] = {
      {"not bypassed", 0, true, true},
      {"bypassed once", 1, true, false},
      {"bypassed twice", 2, true, false},
      {"counter below 0", -1, true, true},
      {"no reporter", 0, false, false},
  };
  for (const auto& c : cases) {
    reporterInstance = c.published ? reporter_ : nullptr;
    TrapFacts facts{exception.pointers(), c.bypassDepth, &outermost, nullptr, nullptr};
    EXPECT_EQ(c.report, FrontstopDecides(facts)) << c.what;
    EXPECT_EQ(c.report, BackstopDecides(facts)) << c.what;
    EXPECT_EQ(c.report, UnhandledFilterDecides(facts)) << c.what;
  }
}

// A damaged chain silences the frontstop alone, whatever the rules say.
TEST_F(TrapDecisionTest, DamagedChainSilencesTheFrontstop) {
  runtimeConfig.rules = {Rule(false, kAccessViolation, kAccessViolation)};
  BuiltException exception(kAccessViolation);
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  EXCEPTION_REGISTRATION_RECORD looping{};
  looping.Next = &looping;
  for (EXCEPTION_REGISTRATION_RECORD* head :
       {static_cast<EXCEPTION_REGISTRATION_RECORD*>(reserved), static_cast<EXCEPTION_REGISTRATION_RECORD*>(nullptr),
        &looping}) {
    TrapFacts facts{exception.pointers(), 0, head, nullptr, nullptr};
    EXPECT_FALSE(FrontstopDecides(facts));
    EXPECT_TRUE(BackstopDecides(facts));
  }
  VirtualFree(reserved, 0, MEM_RELEASE);
}

}  // namespace
