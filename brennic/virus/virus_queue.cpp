#include "virus/virus_queue.h"

#include "virus/queue_lock.h"
#include "virus/virus_worker.h"

void QueueVirusRecord(CVirusList& list, const VirusRecord& record) {
  {
    QueueLock lock(list.queueMutex, kIntakeLockMs);
    // A queue that cannot grow drops the detection; the lock is released either way.
    if (lock.held()) FillQueue(list).Append(record);
  }
  EnsureVirusWorker(list);
  if (list.newEntryEvent != nullptr) SetEvent(list.newEntryEvent);
}
