#pragma once
#include <windows.h>

// Results used across the library besides the system's own.
constexpr HRESULT kResultBlank = static_cast<HRESULT>(0x80040007);             // OLE_E_BLANK
constexpr HRESULT kResultAlreadyInitialized = static_cast<HRESULT>(0x800401F1);  // CO_E_ALREADYINITIALIZED
constexpr HRESULT kResultBadFormat = static_cast<HRESULT>(0x8007000B);           // ERROR_BAD_FORMAT
constexpr HRESULT kResultFileNotFound = static_cast<HRESULT>(0x80070002);        // ERROR_FILE_NOT_FOUND

// A system error code as a result: 0 and below pass unchanged (so "no error" stays
// success), anything else becomes 0x8007xxxx with the code's low 16 bits.
inline HRESULT HResultFromWin32(LONG code) {
  if (code <= 0) return static_cast<HRESULT>(code);
  return static_cast<HRESULT>(0x80070000u | (static_cast<DWORD>(code) & 0xFFFFu));
}

inline HRESULT HResultFromLastError() { return HResultFromWin32(static_cast<LONG>(GetLastError())); }
