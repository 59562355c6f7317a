#pragma once
// printf-style formatting of any length through msvcrt's own wide formatter. There
// "%s" takes a wide string, the rule all of this library's templates are written
// for; the standard-named swprintf of a C++ mingw build follows the C99 rule instead
// and would print one character of it.
#include <string>

std::wstring FormatWide(const wchar_t* format, ...);
