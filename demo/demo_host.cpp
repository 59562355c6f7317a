// The demo's host program: initializes Quorvel the way an application would and
// says what happened and where its report file lies.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "quorvel.h"

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT hr = Quorvel_Initialize(0);
  printf("demo_host: process %lu, Quorvel_Initialize(0) returned 0x%08lX\n", GetCurrentProcessId(),
         static_cast<unsigned long>(hr));

  wchar_t folder[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE);
  wchar_t report[MAX_PATH];
  _snwprintf(report, MAX_PATH, L"%s\\Marlune\\Quorvel\\MarluneApp%lu.qvrp", folder, GetCurrentProcessId());
  report[MAX_PATH - 1] = 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(report, GetFileExInfoStandard, &data)) {
    printf("demo_host: report file %ls (%lu bytes)\n", report, data.nFileSizeLow);
  } else {
    printf("demo_host: no report file at %ls\n", report);
  }

  HRESULT logged = Quorvel_AddText(L"demo started, process %lu", GetCurrentProcessId());
  printf("demo_host: Quorvel_AddText returned 0x%08lX\n", static_cast<unsigned long>(logged));
  Quorvel_Shutdown();
  printf("demo_host: Quorvel_Shutdown done, report file %s\n",
         GetFileAttributesW(report) == INVALID_FILE_ATTRIBUTES ? "removed" : "still there");
  CoUninitialize();
  return 0;
}
