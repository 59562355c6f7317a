#pragma once
#include <windows.h>

#include <cstddef>

// Rewrites a device path as GetProcessImageFileNameW gives it
// ("\Device\HarddiskVolume1\dir\file") into drive-letter form ("C:\dir\file"), in
// place. E_FAIL, with the path unchanged, when it has fewer than three
// backslashes, when no drive letter maps to its device, or when the result would
// not fit the capacity.
HRESULT DevicePathToDosPath(wchar_t* path, size_t capacity);
