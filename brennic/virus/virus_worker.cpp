#include "virus/virus_worker.h"

#include <process.h>

#include <new>

#include "virus/queue_lock.h"
#include "virus/virus_counts.h"
#include "virus/virus_send.h"

namespace {

constexpr int kQuietPassesToEnd = 10;
constexpr DWORD kFlushPending = 0xFFFFFFF0;  // not a WaitForMultipleObjects result

unsigned __stdcall VirusWorkerThread(void* parameter) {
  VirusWorkerStart* start = static_cast<VirusWorkerStart*>(parameter);
  RunVirusWorker(*start);
  delete start;
  return 0;
}

bool IsSignalled(HANDLE event) { return event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

HANDLE StartVirusWorker(CVirusList& list) {
  if (InterlockedCompareExchange(&list.workerRunning, 1, 0) != 0) return nullptr;
  VirusWorkerStart* start = new (std::nothrow) VirusWorkerStart{&list, true};
  uintptr_t thread = start ? _beginthreadex(nullptr, 0, &VirusWorkerThread, start, 0, nullptr) : 0;
  if (thread == 0) {
    delete start;
    InterlockedExchange(&list.workerRunning, 0);
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(thread);
}

void EnsureVirusWorker(CVirusList& list) {
  if (list.workerRunning != 0) return;
  HANDLE thread = StartVirusWorker(list);
  if (thread == nullptr) return;
  HANDLE previous = InterlockedExchangePointer(&list.workerThread, thread);
  if (previous != nullptr) CloseHandle(previous);
}

void DrainPass(CVirusList& list, HANDLE mutex, int& idle) {
  QueueLock lock(mutex, kIntakeLockMs);
  if (!lock.held()) return;
  bool drainingQueue0 = list.fillQueue != 0;
  RecordArray<VirusRecord>& queue = drainingQueue0 ? list.queue0 : list.queue1;
  if (queue.empty()) {
    list.fillQueue = list.fillQueue ? 0 : 1;
    ++idle;
    return;
  }
  // Records the table has no room for stay at the front of their queue, ahead of
  // what intake appends there later.
  size_t counted = MergeRecords(list.entries, queue.data(), queue.size());
  queue.RemoveFront(counted);
  list.fillQueue = drainingQueue0 ? 0 : 1;
  idle = counted > 0 ? 0 : idle + 1;
}

bool ResumeAfterQuietEnd(CVirusList& list) {
  if (!IsSignalled(list.newEntryEvent) && !IsSignalled(list.flushEvent)) return false;
  return InterlockedCompareExchange(&list.workerRunning, 1, 0) == 0;
}

void RunVirusWorker(const VirusWorkerStart& start) {
  CVirusList& list = *start.list;
  if (!start.claimed && InterlockedCompareExchange(&list.workerRunning, 1, 0) != 0) return;

  HANDLE events[3] = {list.newEntryEvent, list.stopEvent, list.flushEvent};
  HANDLE mutex = list.queueMutex;
  bool flushPending = false;
  int idle = 0;
  for (;;) {
    DWORD result;
    if (flushPending) {
      flushPending = false;
      result = kFlushPending;
    } else {
      result = WaitForMultipleObjects(3, events, FALSE, list.workerWaitMs);
      // A list write on another thread owns the table: no pass until it is done.
      if (list.listWriting == 1) continue;
    }
    // The wake-up is taken back before the pass, as the error writer does: an
    // intake during the pass then wakes the next pass at once.
    if (result == WAIT_OBJECT_0) ResetEvent(events[0]);
    DrainPass(list, mutex, idle);

    if (result == WAIT_OBJECT_0) {
      // woken by an intake: wait again
    } else if (result == WAIT_OBJECT_0 + 1) {
      ResetEvent(events[1]);
      break;
    } else if (result == WAIT_OBJECT_0 + 2) {
      ResetEvent(events[2]);
      flushPending = true;  // the next pass drains the other queue, then the flush runs
    } else if (result == kFlushPending) {
      UploadVirusList(list);
    } else if (idle >= kQuietPassesToEnd) {
      InterlockedExchange(&list.workerRunning, 0);
      if (ResumeAfterQuietEnd(list)) {
        idle = 0;
        continue;
      }
      return;
    }
  }
  InterlockedExchange(&list.workerRunning, 0);
}

void DrainAllQueues(CVirusList& list) {
  QueueLock lock(list.queueMutex, kStoreLockMs);
  if (!lock.held()) return;
  RecordArray<VirusRecord>* queues[2] = {&DrainQueue(list), &FillQueue(list)};
  for (RecordArray<VirusRecord>* queue : queues) {
    size_t counted = MergeRecords(list.entries, queue->data(), queue->size());
    queue->RemoveFront(counted);
  }
}
