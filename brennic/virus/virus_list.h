#pragma once
// The virus side's process-wide state: two intake queues, the counts table, the
// worker's flags and its kernel objects. Tests build their own instances; the library
// uses the one from TheVirusList().
#include <windows.h>

#include <string>

#include "virus/record_array.h"
#include "virus/virus_entry.h"
#include "virus/virus_record.h"

class CVirusList {
 public:
  CVirusList() = default;
  ~CVirusList();
  CVirusList(const CVirusList&) = delete;
  CVirusList& operator=(const CVirusList&) = delete;

  std::wstring storePath;
  std::wstring listPath;
  RecordArray<VirusRecord> queue0;  // queue0, queue1, fillQueue, entries: under queueMutex
  RecordArray<VirusRecord> queue1;
  LONG fillQueue = 1;  // intake appends to queue1 when non-zero; the worker drains the other
  RecordArray<VirusEntry> entries;  // counts, in order of first appearance
  volatile LONG listWriting = 0;    // 1 while WriteVirusList moves entries into the list file
  volatile LONG workerRunning = 0;  // claimed by whoever starts a worker loop, cleared by the loop
  HANDLE workerThread = nullptr;    // the thread whose loop runs (or ran last)
  volatile LONG uploadSwitch = 0;   // non-zero: a flush also uploads the list file
  HANDLE newEntryEvent = nullptr;   // manual-reset; set by intake
  HANDLE stopEvent = nullptr;       // manual-reset; asks the worker to end
  HANDLE flushEvent = nullptr;      // manual-reset; asks the worker for a flush
  HANDLE queueMutex = nullptr;

  // How long the worker waits for an event before a quiet pass; ten quiet passes
  // end it. Tests shorten it.
  DWORD workerWaitMs = 5000;
};

CVirusList& TheVirusList();

// The queue intake appends to, and the one the worker drains.
inline RecordArray<VirusRecord>& FillQueue(CVirusList& list) { return list.fillQueue ? list.queue1 : list.queue0; }
inline RecordArray<VirusRecord>& DrainQueue(CVirusList& list) { return list.fillQueue ? list.queue0 : list.queue1; }
