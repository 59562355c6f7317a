#include "errorlist/error_intake.h"

#include "core/mutex_hold.h"
#include "errorlist/error_writer.h"

void QueueErrorEvent(CErrorList& list, const wchar_t* id, const wchar_t* info) {
  ErrorRecord record;
  record.id = id != nullptr ? id : L"";
  record.info = info != nullptr ? info : L"";
  GetSystemTime(&record.time);
  {
    MutexHold hold(list.queueMutex, 2000);
    if (hold.held()) list.FillQueue().push_back(record);
  }
  // The event is in its queue before a writer can look for it.
  StartErrorWriterIfIdle(list);
  if (list.newEntryEvent != nullptr) SetEvent(list.newEntryEvent);
}
