#include "core/format_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::wstring FormatWide(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = _vscwprintf(format, measure);
  va_end(measure);
  std::wstring result;
  if (length > 0) {
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int written = _vsnwprintf_s(buffer.data(), buffer.size(), _TRUNCATE, format, args);
    if (written >= 0) result.assign(buffer.data(), static_cast<size_t>(written));
  }
  va_end(args);
  return result;
}
