#pragma once
// The error-list side's state: one CErrorList per process (ErrorList()), holding the
// path of this process's error-list file, two queues of error events between which
// intake and the writer thread alternate, and the kernel objects that steer the
// writer.
//
// Threads: any host thread takes events in (error_intake.cpp); at most one writer
// loop (error_writer.cpp) drains them into the file; the load and unload steps run
// under the loader lock. queueMutex is the only lock and guards queue0, queue1 and
// fillQueue. writerRunning and writerThread are written without it: the starter of
// a writer sets both (atomically), the writer clears writerRunning when it ends.
#include <windows.h>

#include <string>
#include <vector>

struct ErrorRecord {
  std::wstring id;
  std::wstring info;
  SYSTEMTIME time = {};  // UTC of intake; not set for an event sent at once
};

class CErrorList {
 public:
  CErrorList() = default;
  ~CErrorList();
  CErrorList(const CErrorList&) = delete;
  CErrorList& operator=(const CErrorList&) = delete;

  std::wstring listPath;  // empty until the load step opened the file once
  std::vector<ErrorRecord> queue0;
  std::vector<ErrorRecord> queue1;
  LONG fillQueue = 1;  // the queue intake appends to: non-zero means queue1
  volatile LONG writerRunning = 0;  // a writer loop runs, or its thread is starting
  HANDLE newEntryEvent = nullptr;  // manual reset: set by intake, reset by the writer
  HANDLE stopEvent = nullptr;      // manual reset: asks the writer to end
  HANDLE volatile writerThread = nullptr;  // the writer thread started last
  HANDLE queueMutex = nullptr;

  std::vector<ErrorRecord>& FillQueue() { return fillQueue != 0 ? queue1 : queue0; }
  std::vector<ErrorRecord>& DrainQueue() { return fillQueue != 0 ? queue0 : queue1; }
};

// The process's instance, a static object of the library.
CErrorList& ErrorList();

// Load step: creates this executable's list file (opening and closing element with
// the client identifier) if it is new, remembers its path, and creates the events and
// the mutex. Starts no thread.
void AttachErrorList(CErrorList& list);

// Unload step: asks the writer to stop and waits for it at most five times 200 ms,
// then ends it by force. Bounded because it runs under the loader lock, where a
// writer that is ending cannot finish its thread exit.
void DetachErrorList(CErrorList& list);
