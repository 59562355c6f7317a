#pragma once
#include <windows.h>

#include <cstdint>

// Fills an empty buffer with the module that holds the address: its full path, or
// with baseNameOnly its file name without folder and extension. A buffer that is
// not empty is returned as it is (one lookup per evaluation). An address counts as
// inside a module only when its region is committed image memory with a non-zero
// allocation base; elsewhere (heap, generated code, free memory) the buffer stays
// empty and *loadAddress is not touched. Uses no heap memory.
wchar_t* GetAddressModuleName(const void* address, wchar_t* buffer, size_t capacity, bool baseNameOnly,
                              uint64_t* loadAddress);
