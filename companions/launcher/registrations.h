#pragma once
// The processes registered with the launcher, each with its "LaunchUI<pid>.qvrp"
// event and, once that is set, the user-interface program started on its report.
#include <windows.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"

struct Registration {
  DWORD processId = 0;
  UniqueHandle launchUi;  // set by the process when its report is ready
  UniqueHandle process;   // ends without a report: the registration goes
  UniqueHandle client;    // the user-interface program, once started
};

// A process is served only when its program lies in the launcher's installation
// (the launcher's folder, its "x86" sub-folder or, for a launcher in "x86", the
// parent folder), unless anyProcess: a product's launcher is not every program's.
bool IsServedProgram(HANDLE process, bool anyProcess);

// Opens what the launcher watches for the process; false when it cannot.
bool OpenRegistration(DWORD processId, bool anyProcess, Registration* out);

// Starts the user-interface program on the process's report "MarluneApp<pid>.qvrp".
bool StartClientFor(Registration& registration, const std::wstring& clientPath);
