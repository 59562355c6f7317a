#pragma once
// Where the library keeps its files. Every folder hangs off the installation folder
// that the installation module reports (LookupInstallFolder), which ends with a
// backslash; without that module it is "" and the folders are relative to the
// current directory. The folder names are appended without a separator.
#include <string>

// Installation folder + "Data\VrelReport" (no trailing backslash).
std::wstring ErrorListFolder();
// Installation folder + "Data\VrelVirus" (no trailing backslash).
std::wstring VirusFolder();

// The host executable's path from its last backslash on, the backslash included
// ("\scanner.exe"); the whole path when it has none. Each executable gets its own
// files named after this tail, so two processes of one program share them.
std::wstring ExecutableTail();

// Makes sure path is a directory, creating only its last level (a missing parent
// makes this fail, on purpose: the installer owns the folders above). A file of
// that name is left alone and the creation fails. True when a directory is there.
bool EnsureLastFolderLevel(const std::wstring& path);
