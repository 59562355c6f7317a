#pragma once
#include <windows.h>

#include "report/report_layout.h"

// Sets processId, and outside limited mode (low byte of initFlag zero) the
// parentProcessId found in a process snapshot. Returns 0, E_FAIL when the own
// entry is missing, or the snapshot's error; parentProcessId then stays 0.
HRESULT FindParentProcess(ReportFile* image, DWORD initFlag);
