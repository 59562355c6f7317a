#pragma once
#include <windows.h>

// True when the address cannot be read without a fault: the query fails, or the
// region is not committed, is PAGE_NOACCESS, or is a guard page (reading one would
// consume the guard that lets another thread's stack grow).
bool IsUnreadableAddress(const void* address);

// The same test for [address, address + size), with a cache of the last region
// found readable: consecutive records on one stack cost a single query.
class ReadableRegion {
 public:
  bool Contains(const void* address, size_t size);

 private:
  const char* low_ = nullptr;
  const char* high_ = nullptr;
};
