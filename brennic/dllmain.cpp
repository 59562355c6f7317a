// Brennic has no initialization call: loading prepares the error list and the virus
// counts, unloading stops their threads. The library's static objects are destroyed
// after DLL_PROCESS_DETACH, the installation module first (see install_module.cpp).
#include <windows.h>

#include "errorlist/error_list.h"
#include "virus/virus_side.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    AttachErrorList(ErrorList());
    AttachVirusList();
  } else if (reason == DLL_PROCESS_DETACH) {
    DetachErrorList(ErrorList());
    DetachVirusList();
  }
  return TRUE;
}
