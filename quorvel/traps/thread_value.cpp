#include "traps/thread_value.h"

ThreadValue trapBypassDepth;

ThreadValue::ThreadValue() : slot_(TlsAlloc()) {}

ThreadValue::~ThreadValue() {
  if (slot_ != TLS_OUT_OF_INDEXES) TlsFree(slot_);
}

int32_t ThreadValue::Get() const {
  if (slot_ == TLS_OUT_OF_INDEXES) return 0;
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(TlsGetValue(slot_)));
}

void ThreadValue::Set(int32_t value) const {
  if (slot_ != TLS_OUT_OF_INDEXES) TlsSetValue(slot_, reinterpret_cast<void*>(static_cast<intptr_t>(value)));
}
