#pragma once
#include <windows.h>

// Owns one kernel handle for a scope. The invalid value is part of the type:
// most handles are invalid at null, file handles at INVALID_HANDLE_VALUE.
template <HANDLE (*Invalid)()>
class BasicUniqueHandle {
 public:
  BasicUniqueHandle() = default;
  explicit BasicUniqueHandle(HANDLE h) : handle_(h) {}
  ~BasicUniqueHandle() { reset(); }
  BasicUniqueHandle(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : handle_(other.release()) {}
  BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != Invalid() && handle_ != nullptr; }
  explicit operator bool() const { return valid(); }
  HANDLE release() {
    HANDLE h = handle_;
    handle_ = Invalid();
    return h;
  }
  void reset(HANDLE h = Invalid()) {
    if (valid()) CloseHandle(handle_);
    handle_ = h;
  }

 private:
  HANDLE handle_ = Invalid();
};

inline HANDLE NullHandleValue() { return nullptr; }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

using UniqueHandle = BasicUniqueHandle<NullHandleValue>;
using UniqueFileHandle = BasicUniqueHandle<InvalidHandleValue>;
