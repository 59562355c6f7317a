#pragma once
#include <windows.h>

// True when the address cannot be read without a fault: the query fails, or the
// region is not committed, is PAGE_NOACCESS, or is a guard page (reading one would
// consume the guard that lets another thread's stack grow).
bool IsUnreadableAddress(const void* address);

// The same test for [address, address + size), with a cache of the last region
// found readable: consecutive records on one stack cost a single query. It may start
// from a range known to be readable (the committed part of a thread's stack, from
// its limit to its base), which then costs no query at all.
class ReadableRegion {
 public:
  ReadableRegion() = default;
  ReadableRegion(const void* low, const void* high)
      : low_(static_cast<const char*>(low)), high_(static_cast<const char*>(high)) {}
  bool Contains(const void* address, size_t size);

 private:
  const char* low_ = nullptr;
  const char* high_ = nullptr;
};
