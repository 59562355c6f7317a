// Placeholder exports until the error and virus sides exist: always 1.
#include <windows.h>

#include "virus/virus_side.h"

extern "C" {
int __stdcall VrelQuorvel(const wchar_t*, const wchar_t*, int, int) { return 1; }
int __stdcall VrelReportVirusInfo(const wchar_t* name, const wchar_t* path) {
  return ReportVirusInfo(name, path, nullptr);
}
int __stdcall VrelReportVirusInfoWithMD5(const wchar_t* name, const wchar_t* path, const wchar_t* md5) {
  return ReportVirusInfo(name, path, md5);
}
int __stdcall DealWithList(int, int) { return 1; }
int __stdcall Run32Send(HWND, HINSTANCE, char*, int) { return 1; }
}
