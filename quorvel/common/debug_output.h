#pragma once

// Diagnostics go to the debugger output only: formatted into 4096 characters
// (longer output is cut) and passed to OutputDebugStringW.
void DebugPrintf(const wchar_t* format, ...);
