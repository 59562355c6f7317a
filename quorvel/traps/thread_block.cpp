#include "traps/thread_block.h"

// --- GCC-only -------------------------------------------------------------------
// GCC 12 takes the fs-relative read inside NtCurrentTeb for an access to a
// zero-length array at a constant address and warns; the read is what it must be.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
NT_TIB* CurrentThreadBlock() { return reinterpret_cast<NT_TIB*>(NtCurrentTeb()); }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
// ---------------------------------------------------------------------------------
