#pragma once
// Virus counts leaving the process: the flush that the worker runs, the flush
// request of DealWithList, and the command that gathers every program's store.
#include <cstdint>
#include <string>

#include "virus/virus_list.h"

// The flush: writes the list file; with uploadSwitch set, also sends it as a
// "VirusInfo" report and deletes the list and store files. Always 1.
int UploadVirusList(CVirusList& list);

// DealWithList bit 1: sets uploadSwitch to `arg`, starts the worker if none runs and
// asks it for a flush. Always 1.
int DealWithVirusList(CVirusList& list, uint32_t arg);

// "virustime": merges every store file of storeFolder (installation folder +
// "Data\VrelVirus\") into the table, deletes them and flushes with upload. Always 1.
int SendStoredVirusStores(CVirusList& list, const std::wstring& storeFolder);
