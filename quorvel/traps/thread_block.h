#pragma once
#include <windows.h>

// The calling thread's information block; its first field heads the thread's chain
// of exception registration records.
NT_TIB* CurrentThreadBlock();
