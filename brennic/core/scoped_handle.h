#pragma once
#include <windows.h>

// Owns one kernel handle for a scope. Functions that fail with INVALID_HANDLE_VALUE
// (CreateFileW) and those that fail with null (CreateEventW) both end up "empty",
// so callers test one way whatever produced the handle.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~ScopedHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_;
};

// A FindFirstFileW enumeration, closed with FindClose.
class ScopedFind {
 public:
  ScopedFind(const wchar_t* pattern, WIN32_FIND_DATAW* data) : find_(FindFirstFileW(pattern, data)) {}
  ~ScopedFind() {
    if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
  }
  ScopedFind(const ScopedFind&) = delete;
  ScopedFind& operator=(const ScopedFind&) = delete;

  explicit operator bool() const { return find_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAW* data) { return FindNextFileW(find_, data) != FALSE; }

 private:
  HANDLE find_;
};
