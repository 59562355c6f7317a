#include "traps/module_name.h"

#include <cwchar>

#include "common/text.h"

wchar_t* GetAddressModuleName(const void* address, wchar_t* buffer, size_t capacity, bool baseNameOnly,
                              uint64_t* loadAddress) {
  if (buffer == nullptr || capacity == 0 || buffer[0] != L'\0') return buffer;
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQueryEx(GetCurrentProcess(), address, &region, sizeof(region)) == 0) return buffer;
  // Free memory answers with an allocation base of 0, and GetModuleFileNameW(0)
  // would then name the host executable.
  if (region.AllocationBase == nullptr || region.State != MEM_COMMIT || region.Type != MEM_IMAGE) return buffer;
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(static_cast<HMODULE>(region.AllocationBase), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return buffer;
  if (loadAddress != nullptr) {
    *loadAddress = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(region.AllocationBase));
  }
  const wchar_t* result = path;
  if (baseNameOnly) {
    if (wchar_t* dot = wcsrchr(path, L'.')) *dot = L'\0';
    if (const wchar_t* slash = wcsrchr(path, L'\\')) result = slash + 1;
  }
  CopyText(buffer, capacity, result);
  return buffer;
}
