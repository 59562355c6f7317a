#pragma once
#include <windows.h>

// Puts the full path of fileName beside the host executable into buffer; when it is
// not there, tries the "x86" sub-folder (or, for a host inside an "x86" folder, the
// parent folder). Returns 0 when the file exists, else the system error of the
// last test with that candidate left in the buffer (a missing folder on the way
// counts as a missing file: 0x80070002). A candidate that does not fit
// the capacity gives E_INVALIDARG: a cut path would name another file.
HRESULT FindCompanionFile(wchar_t* buffer, size_t capacity, const wchar_t* fileName);

// PathFileExistsW; the last error tells why not.
bool PathExists(const wchar_t* path);
