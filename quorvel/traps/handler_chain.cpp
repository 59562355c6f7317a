#include "traps/handler_chain.h"

#include "traps/readable_memory.h"
#include "traps/thread_block.h"

EXCEPTION_REGISTRATION_RECORD* CurrentChainHead() {
  return CurrentThreadBlock()->ExceptionList;
}

StackRange CurrentStackRange() {
  const NT_TIB* tib = CurrentThreadBlock();
  return StackRange{tib->StackLimit, tib->StackBase};
}

HandlerChain WalkHandlerChain(const EXCEPTION_REGISTRATION_RECORD* head, StackRange stack) {
  HandlerChain chain;
  ReadableRegion readable(stack.low, stack.high);
  const EXCEPTION_REGISTRATION_RECORD* record = head;
  // Follows the chain at half speed: a loop brings the walk back onto it.
  const EXCEPTION_REGISTRATION_RECORD* trailing = head;
  uint32_t depth = 0;
  for (;;) {
    if (!readable.Contains(record, sizeof(*record))) return chain;
    if (record == head) chain.innermostHandler = reinterpret_cast<void*>(record->Handler);
    const EXCEPTION_REGISTRATION_RECORD* next = record->Next;
    if (reinterpret_cast<uintptr_t>(next) == kChainEnd) break;
    if (++depth == kMaxChainWalk) break;
    record = next;
    if ((depth & 1) == 0) trailing = trailing->Next;
    if (record == trailing) return chain;
  }
  chain.intact = true;
  chain.depth = depth;
  return chain;
}
