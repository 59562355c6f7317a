#include "virus/virus_list.h"

namespace {

void CloseIfPresent(HANDLE& handle) {
  if (handle != nullptr) CloseHandle(handle);
  handle = nullptr;
}

}  // namespace

// Only the unload step saves; whatever is still in memory here is gone.
CVirusList::~CVirusList() {
  CloseIfPresent(newEntryEvent);
  CloseIfPresent(stopEvent);
  CloseIfPresent(flushEvent);
  CloseIfPresent(queueMutex);
  entries.Free();
  queue1.Free();
  queue0.Free();
}

namespace {

// A namespace-scope static: constructed before the load step runs, so it outlives
// the installation module's holder (a function-local static made by the first
// lookup), which is destroyed first and releases the module.
CVirusList processVirusList;

}  // namespace

CVirusList& TheVirusList() { return processVirusList; }
