#include <windows.h>

// Loading constructs runtimeConfig (a static object); nothing else happens until an
// export is called.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
