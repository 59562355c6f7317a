#pragma once
// Where a process's report file lives and what it is called. The launcher and the
// user-interface program find the file by these names.
#include <windows.h>

#include <cstddef>

constexpr size_t kReportPathCapacity = 260;

// The local application-data folder followed by "\Marlune\Quorvel\" (always ending
// in a backslash). E_FAIL, with the buffer empty, when the system gives no such
// folder; 0x800700CE when the folder does not fit the capacity.
HRESULT GetReportFolder(wchar_t* buffer, size_t capacity);

// name = "MarluneApp<processId>.qvrp" (also the name of the file mapping), path =
// folder + name; both buffers hold kReportPathCapacity characters. A path longer
// than 259 characters is refused with 0x800700CE and both buffers left empty: a cut
// path would name another file.
HRESULT MakeReportPath(const wchar_t* folder, DWORD processId, wchar_t* path, wchar_t* name);
