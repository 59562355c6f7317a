#include "minidump.h"

#include <windows.h>
#include <dbghelp.h>

report_reader::MinidumpNote WriteCrashMinidump(const report_reader::DecodedReport& report, bool live,
                                               const std::wstring& path) {
  report_reader::MinidumpNote note;
  const ReportFile& head = report.head;
  if (head.reportKind != ReportKindCrash) return note;
  if (head.crash.exceptionPointers == 0) {
    note.reason = L"none: the report holds no exception pointers";
    return note;
  }
  if (!live) {
    note.reason = L"none: the reporting process has ended";
    return note;
  }
  note.attempted = true;
  note.path = path;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE, head.processId);
  if (process == nullptr) {
    note.error = GetLastError();
    return note;
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    note.error = GetLastError();
    CloseHandle(process);
    return note;
  }
  MINIDUMP_EXCEPTION_INFORMATION exception = {};
  exception.ThreadId = head.crash.threadId;
  exception.ExceptionPointers =
      reinterpret_cast<PEXCEPTION_POINTERS>(static_cast<uintptr_t>(head.crash.exceptionPointers));
  exception.ClientPointers = TRUE;
  note.written = MiniDumpWriteDump(process, head.processId, file, MiniDumpNormal, &exception, nullptr, nullptr) != FALSE;
  if (!note.written) note.error = GetLastError();
  CloseHandle(file);
  CloseHandle(process);
  if (!note.written) DeleteFileW(path.c_str());
  return note;
}
