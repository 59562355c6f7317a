#pragma once
#include <windows.h>

#include <cstdint>

// One signed 32-bit value per thread, in a thread-local storage slot taken when the
// library loads. Reading and writing allocate nothing and use a few bytes of stack,
// so the traps can use it on a thread that has just overflowed its stack. Only the
// thread itself changes its value; every thread starts at 0.
class ThreadValue {
 public:
  ThreadValue();
  ~ThreadValue();
  ThreadValue(const ThreadValue&) = delete;
  ThreadValue& operator=(const ThreadValue&) = delete;

  int32_t Get() const;
  void Set(int32_t value) const;

 private:
  DWORD slot_;
};

// The calling thread's trap bypass counter (Quorvel_StartTrapBypass/EndTrapBypass).
extern ThreadValue trapBypassDepth;
