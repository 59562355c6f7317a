#include "common/text.h"

#include <cstdio>
#include <cwchar>

int FormatTextV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args) {
  if (buffer == nullptr || capacity == 0) return -1;
  buffer[0] = L'\0';
  if (format == nullptr) return -1;
  int written = _vsnwprintf_s(buffer, capacity, _TRUNCATE, format, args);
  buffer[capacity - 1] = L'\0';
  return written;
}

int FormatText(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FormatTextV(buffer, capacity, format, args);
  va_end(args);
  return written;
}

bool CopyText(wchar_t* buffer, size_t capacity, const wchar_t* source) {
  if (buffer == nullptr || capacity == 0) return false;
  buffer[0] = L'\0';
  if (source == nullptr) return true;
  size_t i = 0;
  for (; i + 1 < capacity && source[i] != L'\0'; ++i) buffer[i] = source[i];
  buffer[i] = L'\0';
  return source[i] == L'\0';
}

bool AppendText(wchar_t* buffer, size_t capacity, const wchar_t* source) {
  size_t used = BoundedLength(buffer, capacity);
  size_t add = source ? wcslen(source) : 0;
  if (used + add + 1 > capacity) return false;
  if (add) wmemcpy(buffer + used, source, add);
  buffer[used + add] = L'\0';
  return true;
}

size_t BoundedLength(const wchar_t* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n] != L'\0') ++n;
  return n;
}
