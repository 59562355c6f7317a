#include "traps/readable_memory.h"

namespace {

bool IsReadable(const MEMORY_BASIC_INFORMATION& region) {
  if (region.State != MEM_COMMIT) return false;
  if ((region.Protect & PAGE_GUARD) != 0) return false;
  return (region.Protect & 0xFF) != PAGE_NOACCESS && (region.Protect & 0xFF) != 0;
}

}  // namespace

bool IsUnreadableAddress(const void* address) {
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQueryEx(GetCurrentProcess(), address, &region, sizeof(region)) == 0) return true;
  return !IsReadable(region);
}

bool ReadableRegion::Contains(const void* address, size_t size) {
  const char* low = static_cast<const char*>(address);
  const char* high = low + size;
  if (high < low) return false;
  if (low >= low_ && high <= high_) return true;
  // A range that straddles two regions needs both readable: query each end.
  const char* ends[] = {low, high - 1};
  for (const char* probe : ends) {
    if (probe >= low_ && probe < high_) continue;
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQueryEx(GetCurrentProcess(), probe, &region, sizeof(region)) == 0 || !IsReadable(region)) return false;
    low_ = static_cast<const char*>(region.BaseAddress);
    high_ = low_ + region.RegionSize;
  }
  return true;
}
