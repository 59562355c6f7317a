#pragma once
#include <windows.h>

// Holds queueMutex for a scope, if it was acquired within the limit.
// WAIT_ABANDONED counts as acquired: the wait has handed this thread the ownership,
// and refusing it would either keep the mutex owned for good (every later intake
// dropped) or hand the same data to the next waiter anyway. The counts the ended
// thread was merging are then kept as it left them.
class QueueLock {
 public:
  QueueLock(HANDLE mutex, DWORD limitMs) : mutex_(Acquire(mutex, limitMs)) {}
  ~QueueLock() {
    if (mutex_ != nullptr) ReleaseMutex(mutex_);
  }
  QueueLock(const QueueLock&) = delete;
  QueueLock& operator=(const QueueLock&) = delete;
  bool held() const { return mutex_ != nullptr; }

 private:
  static HANDLE Acquire(HANDLE mutex, DWORD limitMs) {
    if (mutex == nullptr) return nullptr;
    DWORD result = WaitForSingleObject(mutex, limitMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED ? mutex : nullptr;
  }
  HANDLE mutex_;
};

// How long each operation waits for queueMutex before giving up.
constexpr DWORD kIntakeLockMs = 2000;  // intake, worker passes, list writing
constexpr DWORD kStoreLockMs = 5000;   // store load and save, the stored-counts command
