// A library whose attach takes 1.5 seconds, holding the loader lock meanwhile: it
// lets a test hold that lock the way a library's unload step holds it. It signals
// "slow_attach_entered_<process id>" when its attach begins.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    std::wstring name = L"slow_attach_entered_" + std::to_wstring(GetCurrentProcessId());
    HANDLE entered = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (entered != nullptr) {
      SetEvent(entered);
      CloseHandle(entered);
    }
    Sleep(1500);
  }
  return TRUE;
}
