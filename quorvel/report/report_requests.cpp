// The four reports a host or a trap files. Each writes its kind into the mapped
// report file under reporterLock and hands it over; the hand-off ends the process,
// with the lock still held, so a process files at most one report.
#include <cstdint>

#include "common/hresult.h"
#include "common/text.h"
#include "monitor/monitor_lock.h"
#include "report/hand_off.h"
#include "reporter.h"
#include "traps/module_name.h"

namespace {

int64_t SignExtended(const void* address) {
  return static_cast<int64_t>(static_cast<int32_t>(reinterpret_cast<uintptr_t>(address)));
}
uint64_t ZeroExtended(uint32_t value) { return value; }

// The common frame: write, hand over, and only should the hand-off return, undo
// what is temporary and leave the lock.
template <typename Write, typename Undo>
HRESULT FileReport(CReporter& reporter, Write write, Undo undo) {
  // The thread handing a report over must not block on the lock that the
  // report's requester holds: that report already ends the process.
  if (IsHandOffThread()) return S_FALSE;
  if (IsMonitorThread()) {
    // Blocking here could hold up a host thread that stops the monitor thread
    // while it holds the lock.
    if (!EnterReporterLockOnMonitor(reporter)) return HResultFromWin32(ERROR_POSSIBLE_DEADLOCK);
  } else {
    EnterCriticalSection(&reporter.reporterLock);
  }
  if (reporter.reportView == nullptr) {
    LeaveCriticalSection(&reporter.reporterLock);
    return kResultBlank;
  }
  write(*reporter.reportView);
  reporter.RequestReport();
  undo(*reporter.reportView);
  LeaveCriticalSection(&reporter.reporterLock);
  return S_OK;
}

void NothingToUndo(ReportFile&) {}

}  // namespace

HRESULT CReporter::ReportCrash(EXCEPTION_POINTERS* pointers) {
  if (pointers == nullptr || pointers->ExceptionRecord == nullptr || pointers->ContextRecord == nullptr) {
    return E_INVALIDARG;
  }
  auto write = [pointers](ReportFile& view) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    const CONTEXT& context = *pointers->ContextRecord;
    CrashRecord& crash = view.crash;
    view.reportKind = ReportKindCrash;
    crash.threadId = GetCurrentThreadId();
    crash.exceptionCode = record.ExceptionCode;
    crash.exceptionAddress = SignExtended(record.ExceptionAddress);
    crash.numberParameters = record.NumberParameters;
    // Always three, whatever the count says: the reader decides what they mean.
    for (int i = 0; i < 3; ++i) crash.exceptionInformation[i] = ZeroExtended(record.ExceptionInformation[i]);
    crash.faultModulePath[0] = L'\0';
    crash.faultModuleBase = 0;
    GetAddressModuleName(record.ExceptionAddress, crash.faultModulePath, 260, false, &crash.faultModuleBase);
    crash.Eax = ZeroExtended(context.Eax);
    crash.Ebx = ZeroExtended(context.Ebx);
    crash.Ecx = ZeroExtended(context.Ecx);
    crash.Edx = ZeroExtended(context.Edx);
    crash.Esi = ZeroExtended(context.Esi);
    crash.Edi = ZeroExtended(context.Edi);
    crash.Ebp = ZeroExtended(context.Ebp);
    crash.Esp = ZeroExtended(context.Esp);
    crash.Eip = ZeroExtended(context.Eip);
    crash.EFlags = context.EFlags;
    // Valid only while the hand-off runs: a reader may take the record from the
    // live process (a minidump with the exception stream).
    crash.exceptionPointers = SignExtended(pointers);
  };
  return FileReport(*this, write, [](ReportFile& view) { view.crash.exceptionPointers = 0; });
}

HRESULT CReporter::ReportManagedException(const wchar_t* text1, const wchar_t* text2, const wchar_t* text3,
                                          const wchar_t* text4) {
  // A missing text is stored empty rather than losing the report.
  auto write = [=](ReportFile& view) {
    view.reportKind = ReportKindManaged;
    CopyText(view.managed.managedText1, 256, text1);
    CopyText(view.managed.managedText2, 1024, text2);
    CopyText(view.managed.managedText3, 256, text3);
    CopyText(view.managed.managedText4, 1024, text4);
  };
  return FileReport(*this, write, NothingToUndo);
}

HRESULT CReporter::ReportUserAbort(const wchar_t* text) {
  auto write = [text](ReportFile& view) {
    view.reportKind = ReportKindUserAbort;
    CopyText(view.abortText, 3072, text);
  };
  return FileReport(*this, write, NothingToUndo);
}

HRESULT CReporter::ReportInstallFail(const wchar_t* text) {
  auto write = [text](ReportFile& view) {
    view.reportKind = ReportKindInstallFail;
    CopyText(view.installFailText, 1001, text);
  };
  return FileReport(*this, write, NothingToUndo);
}
