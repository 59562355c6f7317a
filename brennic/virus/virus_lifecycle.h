#pragma once
// The virus side's load and unload steps, run by the library entry point after the
// error side's steps.
#include <string>

#include "virus/virus_list.h"

// virusFolder: installation folder + "Data\VrelVirus". exeTail: the host executable's
// path from its last backslash on, that backslash included. Makes the virus folder
// (last level only), sets the paths, creates the mutex and events and loads this
// program's store file.
void AttachVirusList(CVirusList& list, const std::wstring& virusFolder, const std::wstring& exeTail);

// Stops the worker (five waits of 200 ms, then it is terminated), counts whatever
// is still queued, and saves the table to the store file.
void DetachVirusList(CVirusList& list);
