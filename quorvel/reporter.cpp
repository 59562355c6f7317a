#include "reporter.h"

#include <new>

#include "config/config.h"

CReporter* volatile reporterInstance = nullptr;
AddContinueHandlerFn addContinueHandler = nullptr;
RemoveContinueHandlerFn removeContinueHandler = nullptr;

namespace {
HANDLE NewUnnamedEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

void CloseIfSet(HANDLE& handle) {
  if (handle != nullptr) CloseHandle(handle);
  handle = nullptr;
}
}  // namespace

CReporter::CReporter() : optionsBlock{} {
  InitializeCriticalSectionAndSpinCount(&reporterLock, 0);
  waitHandles[kSlotMonitorStop] = NewUnnamedEvent();
  waitHandles[kSlotRunClient] = NewUnnamedEvent();
  parentPlaceholderEvent = NewUnnamedEvent();
  waitHandles[kSlotParent] = parentPlaceholderEvent;
  deadlockPlaceholderEvent = NewUnnamedEvent();
  waitHandles[kSlotDeadlock] = deadlockPlaceholderEvent;
  clientDoneEvent = NewUnnamedEvent();

  // Continue handlers are looked up rather than imported: older systems lack them.
  if (HMODULE kernel = LoadLibraryW(L"kernel32.dll")) {
    addContinueHandler =
        reinterpret_cast<AddContinueHandlerFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "AddVectoredContinueHandler")));
    removeContinueHandler = reinterpret_cast<RemoveContinueHandlerFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "RemoveVectoredContinueHandler")));
    FreeLibrary(kernel);
  }
}

CReporter::~CReporter() {
  if (monitorThread != nullptr) StopMonitorThread();
  CloseReportFile(true);  // removes the traps, unmaps, closes and deletes the file
  DeleteCriticalSection(&reporterLock);
  CloseIfSet(deadlockEvent);
  CloseIfSet(launchUiEvent);
  CloseIfSet(parentProcess);
  CloseIfSet(deadlockPlaceholderEvent);
  CloseIfSet(parentPlaceholderEvent);
  CloseIfSet(waitHandles[kSlotMonitorStop]);
  CloseIfSet(waitHandles[kSlotRunClient]);
  CloseIfSet(clientDoneEvent);
  InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&reporterInstance), nullptr, this);
}

CReporter* GetOrCreateReporter() {
  CReporter* current = reporterInstance;
  if (current != nullptr) return current;
  CReporter* created = new (std::nothrow) CReporter();
  if (created == nullptr) return nullptr;
  // Two threads making their first call at once: the first to publish wins, the
  // other discards its own object and uses the winner's.
  PVOID previous =
      InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&reporterInstance), created, nullptr);
  if (previous == nullptr) return created;
  delete created;
  return static_cast<CReporter*>(previous);
}
