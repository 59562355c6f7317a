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

CVirusList& TheVirusList() {
  static CVirusList list;
  return list;
}
