#include "errorlist/error_writer.h"

#include <process.h>

#include "core/client_identifier.h"
#include "core/file_text.h"
#include "core/mutex_hold.h"
#include "core/scoped_handle.h"
#include "errorlist/list_format.h"

namespace {

const DWORD kWakeIntervalMs = 5000;
const DWORD kMutexWaitMs = 2000;
const int kIdlePassesBeforeEnd = 10;

// A file that a send deleted comes back empty through OPEN_ALWAYS; it gets its
// opening element again, so that it stays a whole list. Files shorter than the
// closing element cannot hold a list either and are written from their start.
void AppendEntries(const std::wstring& path, const std::vector<ErrorRecord>& records) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  if (GetFileSize(file.get(), nullptr) < static_cast<DWORD>(kErrorListClosingBytes)) {
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    WriteFileText(file.get(), ErrorListOpening(GetClientIdentifier()));
  } else {
    SetFilePointer(file.get(), -kErrorListClosingBytes, nullptr, FILE_END);
  }
  for (const ErrorRecord& record : records) WriteFileText(file.get(), ErrorListEntry(record));
  WriteFileText(file.get(), kErrorListClosing);
}

void RunWriterLoop(CErrorList& list) {
  HANDLE events[2] = {list.newEntryEvent, list.stopEvent};
  // Without its events or its mutex the writer could neither be woken, nor stopped,
  // nor reach the queues: it would only spin, so it does not start its loop.
  if (events[0] == nullptr || events[1] == nullptr || list.queueMutex == nullptr) return;
  int idle = 0;
  for (;;) {
    DWORD woke = WaitForMultipleObjects(2, events, FALSE, kWakeIntervalMs);
    // The wake-up is taken back before the pass, not after it: an intake that
    // arrives during the pass then wakes the next one at once, instead of waiting
    // for the time-out (a burst took up to two time-outs to reach the file).
    if (woke == WAIT_OBJECT_0) ResetEvent(events[0]);
    RunErrorDrainPass(list, &idle);
    if (woke == WAIT_OBJECT_0) {
      continue;
    } else if (woke == WAIT_OBJECT_0 + 1) {
      ResetEvent(events[1]);
      return;
    } else if (idle >= kIdlePassesBeforeEnd) {
      return;
    }
  }
}

}  // namespace

bool RunErrorDrainPass(CErrorList& list, int* idle) {
  MutexHold hold(list.queueMutex, kMutexWaitMs);
  if (!hold.held()) return false;
  std::vector<ErrorRecord>& drained = list.DrainQueue();
  if (drained.empty()) {
    ++*idle;
  } else {
    *idle = 0;
    if (!list.listPath.empty()) AppendEntries(list.listPath, drained);
    drained.clear();
  }
  list.fillQueue = list.fillQueue != 0 ? 0 : 1;
  return true;
}

unsigned __stdcall RunErrorListWriter(void* argument) {
  ErrorWriterStart* start = static_cast<ErrorWriterStart*>(argument);
  CErrorList& list = *start->list;
  bool claimed = start->claimed;
  delete start;
  if (!claimed && InterlockedCompareExchange(&list.writerRunning, 1, 0) != 0) _endthreadex(0);
  RunWriterLoop(list);
  // The unload step may let the library go as soon as this is 0, so nothing of the
  // library runs after it: the thread ends in the C runtime.
  InterlockedExchange(&list.writerRunning, 0);
  _endthreadex(0);
  return 0;
}

bool StartErrorWriterIfIdle(CErrorList& list) {
  if (InterlockedCompareExchange(&list.writerRunning, 1, 0) != 0) return false;
  ErrorWriterStart* start = new ErrorWriterStart();
  start->list = &list;
  start->claimed = true;
  // Suspended until writerThread names it, so that the handle is in place before
  // any of its work can be waited for.
  uintptr_t thread = _beginthreadex(nullptr, 0, &RunErrorListWriter, start, CREATE_SUSPENDED, nullptr);
  if (thread == 0) {
    delete start;
    InterlockedExchange(&list.writerRunning, 0);
    return false;
  }
  // The thread named before has ended its loop (writerRunning was 0).
  HANDLE previous = InterlockedExchangePointer(const_cast<HANDLE*>(&list.writerThread), reinterpret_cast<HANDLE>(thread));
  if (previous != nullptr) CloseHandle(previous);
  ResumeThread(reinterpret_cast<HANDLE>(thread));
  return true;
}
