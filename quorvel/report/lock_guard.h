#pragma once
#include <windows.h>

// Holds a critical section for a scope: every early return leaves it.
class LockGuard {
 public:
  explicit LockGuard(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~LockGuard() { LeaveCriticalSection(lock_); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};
