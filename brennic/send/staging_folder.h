#pragma once
#include <string>

// The report staging folder, common application-data folder + "\VrelReport\holvane\"
// (with its trailing backslash), created when missing; a file in its place is
// replaced by the folder. "" when the shell cannot name the common folder.
std::wstring PrepareStagingFolder();
