#include "send/report_archive.h"

#include <shellapi.h>

#include "core/format_text.h"
#include "send/install_module.h"

std::wstring ReportArchivePath() { return LookupInstallFolder() + L"Data\\VrelReport\\Report.zip"; }

bool MakeReportArchive(DWORD waitMs) {
  std::wstring parameters = FormatWide(L"-MakeZip \"%s\"", ReportArchivePath().c_str());
  wchar_t program[MAX_PATH] = {};
  LookupComponentFile(program, L"VrelReport", L"HvReport.exe");
  // An empty file name would let the shell open whatever it thinks fits "nothing"
  // (a folder window, say) instead of failing: no program, no start.
  if (program[0] == L'\0') return false;

  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof(execute);
  execute.fMask = SEE_MASK_NOCLOSEPROCESS;
  execute.lpFile = program;
  execute.lpParameters = parameters.c_str();
  execute.nShow = SW_SHOW;
  if (!ShellExecuteExW(&execute) || execute.hProcess == nullptr) return false;
  bool ended = WaitForSingleObject(execute.hProcess, waitMs) == WAIT_OBJECT_0;
  CloseHandle(execute.hProcess);
  return ended;
}
