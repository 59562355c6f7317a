#include <windows.h>

// Placeholder entry point until the load and unload steps exist.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
