#include "errorlist/error_list.h"

#include "core/client_identifier.h"
#include "core/file_text.h"
#include "core/scoped_handle.h"
#include "core/storage.h"
#include "errorlist/list_format.h"

namespace {

CErrorList processErrorList;

void CloseAndClear(HANDLE* handle) {
  if (*handle == nullptr) return;
  CloseHandle(*handle);
  *handle = nullptr;
}

}  // namespace

CErrorList& ErrorList() { return processErrorList; }

// Records still queued are lost here: nothing writes them after unload.
CErrorList::~CErrorList() {
  CloseAndClear(&newEntryEvent);
  CloseAndClear(&stopEvent);
  CloseAndClear(&queueMutex);
  HANDLE thread = writerThread;
  CloseAndClear(&thread);
  writerThread = nullptr;
}

void AttachErrorList(CErrorList& list) {
  std::wstring folder = ErrorListFolder();
  EnsureLastFolderLevel(folder);
  std::wstring path = folder + ExecutableTail() + L".xml";

  // Write sharing only: two processes of one executable append to the same file,
  // while readers stay out until the list is sent.
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    list.listPath = path;
    if (GetFileSize(file.get(), nullptr) == 0) {
      WriteFileText(file.get(), ErrorListOpening(GetClientIdentifier()));
      WriteFileText(file.get(), kErrorListClosing);
    }
  }

  list.newEntryEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  list.stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  list.queueMutex = CreateMutexW(nullptr, FALSE, nullptr);
}

void DetachErrorList(CErrorList& list) {
  if (list.stopEvent != nullptr) SetEvent(list.stopEvent);
  HANDLE thread = list.writerThread;
  if (thread == nullptr) return;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (WaitForSingleObject(thread, 200) == WAIT_OBJECT_0 || list.writerRunning == 0) return;
  }
  TerminateThread(thread, 0);
  CloseHandle(thread);
  list.writerThread = nullptr;
}
