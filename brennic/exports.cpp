// The library's five exports. Every one returns 1, whatever happened: failures are
// silent and leave state as it was.
#include <windows.h>

#include "brennic.h"
#include "core/file_text.h"
#include "errorlist/error_intake.h"
#include "errorlist/error_list.h"
#include "send/error_send.h"
#include "virus/virus_side.h"

extern "C" {

int __stdcall VrelQuorvel(const wchar_t* id, const wchar_t* info, int sendNow, int /*reserved*/) {
  if (sendNow != 0) {
    ErrorRecord record;
    record.id = id != nullptr ? id : L"";
    record.info = info != nullptr ? info : L"";
    return SendErrorRecord(record);
  }
  QueueErrorEvent(ErrorList(), id, info);
  return 1;
}

int __stdcall VrelReportVirusInfo(const wchar_t* name, const wchar_t* path) {
  return ReportVirusInfo(name, path, nullptr);
}

int __stdcall VrelReportVirusInfoWithMD5(const wchar_t* name, const wchar_t* path, const wchar_t* md5) {
  return ReportVirusInfo(name, path, md5);
}

int __stdcall DealWithList(int flags, int arg) {
  unsigned bits = static_cast<unsigned>(flags) & 0xFF;
  if ((bits & 1) != 0 && arg != 0) return SendErrorList(ErrorList(), 0);
  if ((bits & 2) == 0) return 1;
  return DealWithVirusList(static_cast<uint32_t>(arg));
}

// Called by the system's rundll32 host: rundll32.exe Brennic.dll,Run32Send <keyword>.
// The keyword is looked for anywhere in the text, case-sensitively, virus first.
int __stdcall Run32Send(HWND /*window*/, HINSTANCE /*instance*/, char* commandLine, int /*show*/) {
  std::wstring command = FromFileText(commandLine);
  if (command.find(L"virustime") != std::wstring::npos) return SendStoredVirusStores();
  if (command.find(L"errortime") != std::wstring::npos) return SendStoredErrorLists(ErrorList());
  return 1;
}

}  // extern "C"
