// The demo's reporting host: initializes Quorvel, leaves a few log lines and a
// supplementary file, then files a report: "abort" a user abort, "crash" a real
// access violation (a write to address 0x10) that nothing of the host handles: the
// library's traps file it. The report ends the process; the library has started
// QuorvelClient.exe on it by then.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "quorvel.h"

int wmain(int argc, wchar_t** argv) {
  const bool crash = argc > 1 && wcscmp(argv[1], L"crash") == 0;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT hr = Quorvel_Initialize(0);
  printf("report_demo_host: process %lu, Quorvel_Initialize(0) returned 0x%08lX\n", GetCurrentProcessId(),
         static_cast<unsigned long>(hr));
  printf("report_demo_host: report MarluneApp%lu.qvrp\n", GetCurrentProcessId());
  fflush(stdout);
  Quorvel_AddText(L"importing %s", L"inventory.db");
  Quorvel_AddText(L"%d of %d records read", 1742, 5000);
  Quorvel_AddFile(L"C:\\ProgramData\\Inventory\\import.log", 1, 0);
  if (crash) {
    volatile uintptr_t address = 0x10;  // read at run time: the compiler sees no constant
    *reinterpret_cast<volatile int*>(address) = 1742;
  }
  hr = Quorvel_UserAbort(L"the user cancelled the import of %s after %d records", L"inventory.db", 1742);
  printf("report_demo_host: the report did not end the process (0x%08lX)\n", static_cast<unsigned long>(hr));
  return 1;
}
