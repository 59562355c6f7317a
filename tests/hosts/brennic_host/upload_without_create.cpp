// An upload module of another build: it has entry points, but not ordinal 20.
#include <windows.h>

extern "C" int __stdcall UploadReserved() { return 0; }
