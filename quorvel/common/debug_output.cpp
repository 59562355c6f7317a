#include "common/debug_output.h"

#include <windows.h>

#include "common/text.h"

void DebugPrintf(const wchar_t* format, ...) {
  wchar_t buffer[4096];
  va_list args;
  va_start(args, format);
  FormatTextV(buffer, 4096, format, args);
  va_end(args);
  OutputDebugStringW(buffer);
}
