#pragma once
#include <windows.h>
#include <cstdarg>
#include <cstddef>

// All formatting goes through these helpers, which sit on msvcrt's own wide
// formatter: "%s" then takes a wide string, the rule every format text of this
// library (and of its hosts) is written for. The standard-named swprintf of a C++
// build follows the C99 rule instead and would print one character of it.

// Formats into buffer (capacity in characters, > 0), cutting what does not fit.
// Returns the number of characters written, or -1 when the output was cut or the
// format could not be expanded; the buffer always ends in a null.
int FormatTextV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args);
int FormatText(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);

// Copies source into buffer (capacity in characters, > 0), cut to capacity - 1.
// Returns false when the source was cut. A null source gives an empty buffer.
bool CopyText(wchar_t* buffer, size_t capacity, const wchar_t* source);

// Appends source to the text already in buffer; false (buffer unchanged) when the
// result would not fit.
bool AppendText(wchar_t* buffer, size_t capacity, const wchar_t* source);

// Length of text in a fixed field, never reading past capacity characters.
size_t BoundedLength(const wchar_t* text, size_t capacity);
