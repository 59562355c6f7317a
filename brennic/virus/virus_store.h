#pragma once
// The store file: the counts table as raw 132-byte records, nothing else. It keeps a
// program's counts between loads of the library.
#include <string>

#include "virus/virus_list.h"

enum StoreResult : int {
  kStoreDone = 0,
  kStoreNoLock = 1,    // queueMutex missing or not had within 5000 ms
  kStoreNoMemory = 2,  // the table could not hold the file: nothing was taken from it
};

// Appends the file's records to the table as they are (reset non-zero: the table is
// emptied first, but only when the file holds at least one record). An empty path
// means storePath. A missing file is not an error.
StoreResult LoadVirusStore(CVirusList& list, const std::wstring& path, int reset);

// Writes the table to storePath and empties it. An empty table leaves the file alone.
StoreResult SaveVirusStore(CVirusList& list);
