#pragma once
// A growable array of fixed-size records that hold no pointers (detections, counts).
// Growth reports failure instead of throwing, so a full heap leaves the array as it
// was and the caller can still release its lock.
#include <cstddef>
#include <cstring>
#include <type_traits>

// The allocation every RecordArray grows through (realloc semantics). Only tests
// replace it, to make growth fail the way an exhausted heap would.
using RecordArrayRealloc = void* (*)(void* block, size_t bytes);
extern RecordArrayRealloc g_recordArrayRealloc;
void RecordArrayFree(void* block);

template <typename T>
class RecordArray {
  static_assert(std::is_trivially_copyable<T>::value, "records are moved as raw memory");

 public:
  RecordArray() = default;
  ~RecordArray() { Free(); }
  RecordArray(const RecordArray&) = delete;
  RecordArray& operator=(const RecordArray&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return items_; }
  const T* data() const { return items_; }
  T& operator[](size_t i) { return items_[i]; }
  const T& operator[](size_t i) const { return items_[i]; }

  // Room for `count` records in all; false (array unchanged) when memory is short.
  bool Reserve(size_t count) {
    if (count <= capacity_) return true;
    if (count > static_cast<size_t>(-1) / sizeof(T)) return false;
    void* grown = g_recordArrayRealloc(items_, count * sizeof(T));
    if (grown == nullptr) return false;
    items_ = static_cast<T*>(grown);
    capacity_ = count;
    return true;
  }

  // False (array unchanged) when the array cannot grow.
  bool Append(const T& item) {
    if (size_ == capacity_) {
      size_t wanted = capacity_ < 16 ? 16 : capacity_ * 2;
      if (wanted < capacity_ || !Reserve(wanted)) {
        if (!Reserve(size_ + 1)) return false;  // doubling failed: try the bare minimum
      }
    }
    std::memcpy(static_cast<void*>(&items_[size_]), &item, sizeof(T));
    ++size_;
    return true;
  }

  // Drops the first `count` records; the rest move up.
  void RemoveFront(size_t count) {
    if (count >= size_) {
      size_ = 0;
      return;
    }
    std::memmove(static_cast<void*>(items_), items_ + count, (size_ - count) * sizeof(T));
    size_ -= count;
  }

  void Clear() { size_ = 0; }

  void Free() {
    RecordArrayFree(items_);
    items_ = nullptr;
    size_ = capacity_ = 0;
  }

  void Swap(RecordArray& other) {
    T* items = items_;
    size_t size = size_;
    size_t capacity = capacity_;
    items_ = other.items_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.items_ = items;
    other.size_ = size;
    other.capacity_ = capacity;
  }

 private:
  T* items_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
