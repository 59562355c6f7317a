#pragma once
#include <windows.h>

// Starts programPath with the command line "\"programPath\" arguments": handles not
// inherited, the caller's environment and folder. With wait, returns only once the
// program has ended (no time limit). processIdOut and processHandleOut are
// optional; a handed-out handle belongs to the caller. Returns 0, E_OUTOFMEMORY when
// the command line cannot be built, or the system error as an HRESULT.
HRESULT StartProgram(const wchar_t* programPath, const wchar_t* arguments, bool wait, DWORD* processIdOut,
                     HANDLE* processHandleOut);

// The calling thread's last error as a failure: never 0, so that a call that failed
// without leaving an error code cannot read as success.
HRESULT FailureFromLastError();
