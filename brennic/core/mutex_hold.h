#pragma once
#include <windows.h>

// Holds a mutex for a scope when the wait for it succeeds; releases it on every way
// out, including an allocation failure unwinding through the guarded block.
class MutexHold {
 public:
  MutexHold(HANDLE mutex, DWORD timeoutMs)
      : mutex_(mutex), held_(mutex != nullptr && WaitForSingleObject(mutex, timeoutMs) == WAIT_OBJECT_0) {}
  ~MutexHold() {
    if (held_) {
      held_ = false;
      ReleaseMutex(mutex_);
    }
  }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
  bool held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_;
};
