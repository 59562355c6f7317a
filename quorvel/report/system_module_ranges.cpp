// The address ranges of the system modules that the frontstop trap treats as
// system code: rpcrt4.dll, ntdll.dll, msvcrt.dll and the C runtime that serves
// this library's malloc.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "common/unique_handle.h"
#include "reporter.h"

namespace {

// The malloc this library really calls. A MinGW build takes &malloc as a stub
// inside this module, "jmp dword ptr [import slot]"; the stub is followed to the
// imported function. A build that imports malloc directly gives it at once.
uintptr_t CalledMalloc() {
  const uint8_t* code = reinterpret_cast<const uint8_t*>(reinterpret_cast<uintptr_t>(&malloc));
  if (code[0] == 0xFF && code[1] == 0x25) {
    uintptr_t slot = 0;
    memcpy(&slot, code + 2, sizeof(slot));
    return *reinterpret_cast<const uintptr_t*>(slot);
  }
  return reinterpret_cast<uintptr_t>(code);
}

AddressRange RangeOf(const MODULEENTRY32W& module) {
  const uint32_t low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module.modBaseAddr));
  return AddressRange{low, low + module.modBaseSize};
}

}  // namespace

BOOL CReporter::LoadSystemModuleRanges() {
  // Where ntdll.dll was found on the systems this library was first made for; kept
  // when the module list cannot be read.
  systemModuleRanges[kRangeNtdll] = AddressRange{0x78000000u, 0x80000000u};

  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0));
  if (!snapshot) return FALSE;
  const uintptr_t mallocAddress = CalledMalloc();
  MODULEENTRY32W module = {};
  module.dwSize = sizeof(module);
  int matches = 0;
  for (BOOL more = Module32FirstW(snapshot.get(), &module); more && matches < 4;
       more = Module32NextW(snapshot.get(), &module)) {
    const AddressRange range = RangeOf(module);
    if (_wcsicmp(module.szModule, L"rpcrt4.dll") == 0) {
      systemModuleRanges[kRangeRpcrt4] = range;
      ++matches;
    }
    if (_wcsicmp(module.szModule, L"ntdll.dll") == 0) {
      systemModuleRanges[kRangeNtdll] = range;
      ++matches;
    }
    if (_wcsicmp(module.szModule, L"msvcrt.dll") == 0) {
      systemModuleRanges[kRangeMsvcrt] = range;
      ++matches;
    }
    if (mallocAddress >= range.low && mallocAddress < range.high) {
      systemModuleRanges[kRangeCrtMalloc] = range;
      ++matches;
    }
  }
  return TRUE;
}
