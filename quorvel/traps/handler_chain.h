#pragma once
#include <windows.h>

#include <cstdint>

// The shape of a thread's chain of exception registration records, as the
// frontstop needs it: how deep it is and who handles first.
struct HandlerChain {
  bool intact = false;     // false: a record is unreadable, or the chain loops
  uint32_t depth = 0;      // records less one; kMaxChainWalk when the walk stopped there
  void* innermostHandler = nullptr;
};

// A chain that loops (a record overwritten by a stray write) is damaged. One that is
// simply very long is walked this far and then taken as it is: the rules that look
// at the depth care only about the first few records.
constexpr uint32_t kMaxChainWalk = 4096;

const uint32_t kChainEnd = 0xFFFFFFFF;

// The calling thread's innermost record (the first field of its information block).
EXCEPTION_REGISTRATION_RECORD* CurrentChainHead();

// The committed part of a thread's stack, [limit, base): readable without asking.
struct StackRange {
  const void* low = nullptr;
  const void* high = nullptr;
};
StackRange CurrentStackRange();

// Walks the chain that starts at head, on the thread whose committed stack is given
// (records usually lie there). Reads only memory it knows or has found readable.
HandlerChain WalkHandlerChain(const EXCEPTION_REGISTRATION_RECORD* head, StackRange stack = StackRange());
