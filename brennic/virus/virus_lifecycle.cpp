#include "virus/virus_lifecycle.h"

#include "core/storage.h"
#include "virus/virus_store.h"
#include "virus/virus_worker.h"

namespace {

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

// Bounded: the unload may run under the loader lock, where a worker that has left
// its loop cannot finish ending its thread; workerRunning tells that it has left.
void StopWorker(CVirusList& list) {
  if (list.stopEvent != nullptr) SetEvent(list.stopEvent);
  if (list.workerThread == nullptr) return;
  bool stopped = false;
  for (int wait = 0; wait < 5 && !stopped; ++wait) {
    stopped = WaitForSingleObject(list.workerThread, 200) == WAIT_OBJECT_0 || list.workerRunning == 0;
  }
  if (!stopped) {
    TerminateThread(list.workerThread, 0);
    InterlockedExchange(&list.workerRunning, 0);
  }
  CloseHandle(list.workerThread);
  list.workerThread = nullptr;
}

}  // namespace

void AttachVirusList(CVirusList& list, const std::wstring& virusFolder, const std::wstring& exeTail) {
  EnsureLastFolderLevel(virusFolder);
  list.storePath = virusFolder + exeTail + L".data";
  list.queueMutex = CreateMutexW(nullptr, FALSE, nullptr);
  LoadVirusStore(list, L"", 1);
  list.listPath = virusFolder + exeTail + L".xml";
  list.newEntryEvent = NewEvent();
  list.stopEvent = NewEvent();
  list.flushEvent = NewEvent();
}

// The worker is stopped and the queues counted before the save, so that every
// detection taken before the unload reaches the store file.
void DetachVirusList(CVirusList& list) {
  StopWorker(list);
  DrainAllQueues(list);
  SaveVirusStore(list);
}
