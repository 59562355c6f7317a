#include "traps/handler_chain.h"

#include <gtest/gtest.h>

#include <vector>

#include "traps/readable_memory.h"
#include "trap_fixture.h"

namespace {

// Regions of every kind a record pointer may land in.
class Regions {
 public:
  Regions() {
    committed = static_cast<char*>(VirtualAlloc(nullptr, 3 * 4096, MEM_RESERVE, PAGE_NOACCESS));
    VirtualAlloc(committed, 4096, MEM_COMMIT, PAGE_READWRITE);
    noAccess = committed + 4096;
    VirtualAlloc(noAccess, 4096, MEM_COMMIT, PAGE_NOACCESS);
    reserved = committed + 2 * 4096;
    guard = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE | PAGE_GUARD));
    readOnly = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
  }
  ~Regions() {
    VirtualFree(committed, 0, MEM_RELEASE);
    VirtualFree(guard, 0, MEM_RELEASE);
    VirtualFree(readOnly, 0, MEM_RELEASE);
  }
  char* committed;  // followed by a PAGE_NOACCESS page, then a reserved page
  char* noAccess;
  char* reserved;
  char* guard;
  char* readOnly;
};

TEST(IsUnreadableAddress, ByRegionState) {
  Regions regions;
  int onStack = 0;
  const struct {
    const char* what;
    const void* address;
    bool unreadable;
  } cases[] = {
      {"committed read-write", regions.committed, false},
      {"committed read-only", regions.readOnly, false},
      {"the stack", &onStack, false},
      {"an image", reinterpret_cast<const void*>(&GetTickCount), false},
      {"PAGE_NOACCESS", regions.noAccess, true},
      {"reserved", regions.reserved, true},
      {"guard page", regions.guard, true},
      {"free, address 0", nullptr, true},
      {"free, address 0x10", reinterpret_cast<const void*>(0x10), true},
      {"above the user address space", reinterpret_cast<const void*>(0xFFFF0000), true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.unreadable, IsUnreadableAddress(c.address)) << c.what;
  // Probing the guard page did not consume it.
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(regions.guard, &region, sizeof(region));
  EXPECT_NE(0u, region.Protect & PAGE_GUARD);
}

EXCEPTION_REGISTRATION_RECORD* const kEnd = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(0xFFFFFFFF);

// Links records[0] -> records[1] -> ... -> end, innermost first.
void Link(std::vector<EXCEPTION_REGISTRATION_RECORD>& records) {
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].Next = i + 1 < records.size() ? &records[i + 1] : kEnd;
    records[i].Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(0x1000 + i);
  }
}

TEST(WalkHandlerChain, DepthIsTheNumberOfRecordsLessOne) {
  for (size_t count : {1u, 2u, 3u, 6u}) {
    std::vector<EXCEPTION_REGISTRATION_RECORD> records(count);
    Link(records);
    HandlerChain chain = WalkHandlerChain(records.data());
    EXPECT_TRUE(chain.intact) << count;
    EXPECT_EQ(count - 1, chain.depth) << count;
    EXPECT_EQ(reinterpret_cast<void*>(0x1000), chain.innermostHandler) << count;
  }
}

TEST(WalkHandlerChain, DamagedChainsAreNotIntact) {
  Regions regions;
  std::vector<EXCEPTION_REGISTRATION_RECORD> records(3);
  struct Damage {
    const char* what;
    EXCEPTION_REGISTRATION_RECORD* secondNext;
  } cases[] = {
      {"next record unreadable", reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(regions.noAccess)},
      {"next record in reserved memory", reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(regions.reserved)},
      {"next record null", nullptr},
      // The system stops at a record that does not lie above the one before it.
      {"loop back to the head", &records[0]},
      {"loop onto itself", &records[1]},
  };
  for (const Damage& c : cases) {
    Link(records);
    records[1].Next = c.secondNext;
    EXPECT_FALSE(WalkHandlerChain(records.data()).intact) << c.what;
    // Knowing where the thread's stack lies spares queries, not checks.
    EXPECT_FALSE(WalkHandlerChain(records.data(), CurrentStackRange()).intact) << c.what;
  }
  EXPECT_FALSE(WalkHandlerChain(reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(regions.noAccess)).intact);
  EXPECT_FALSE(WalkHandlerChain(nullptr).intact);
}

// A record whose second half lies in the page after its first: both must be readable.
TEST(WalkHandlerChain, RecordAcrossARegionEndNeedsBothSides) {
  Regions regions;
  auto* straddling = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(regions.committed + 4096 - 4);
  EXPECT_FALSE(WalkHandlerChain(straddling).intact);
  auto* last = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(regions.committed + 4096 - 8);
  last->Next = kEnd;
  last->Handler = nullptr;
  EXPECT_TRUE(WalkHandlerChain(last).intact);
}

// A very long, well-formed chain is walked up to the bound and taken as it is.
TEST(WalkHandlerChain, VeryLongChainStopsAtTheBound) {
  std::vector<EXCEPTION_REGISTRATION_RECORD> records(kMaxChainWalk * 4);
  Link(records);
  const DWORD start = GetTickCount();
  HandlerChain chain = WalkHandlerChain(records.data());
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_TRUE(chain.intact);
  EXPECT_EQ(kMaxChainWalk, chain.depth);
}

TEST(CurrentChainHead, NewThreadHasOnlyTheSystemsRecordAndPushesShowOnTop) {
  OnFreshThread([] {
    EXCEPTION_REGISTRATION_RECORD* head = CurrentChainHead();
    HandlerChain chain = WalkHandlerChain(head);
    EXPECT_TRUE(chain.intact);
    EXPECT_EQ(0u, chain.depth);
    {
      PushedRecord first(reinterpret_cast<void*>(0x1111));
      PushedRecord second(reinterpret_cast<void*>(0x2222));
      chain = WalkHandlerChain(CurrentChainHead());
      EXPECT_EQ(2u, chain.depth);
      EXPECT_EQ(reinterpret_cast<void*>(0x2222), chain.innermostHandler);
    }
    EXPECT_EQ(head, CurrentChainHead());
  });
}

}  // namespace
