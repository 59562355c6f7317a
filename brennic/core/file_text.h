#pragma once
// Every file the library writes (error lists, virus lists) holds text in the calling
// thread's ANSI code page, without a byte-order mark: the programs that read those
// files on the product's side expect exactly that. Inside the library all text is
// UTF-16; conversion happens only here, on the way to and from files and the
// narrow command line of the rundll32 entry.
#include <windows.h>

#include <string>

// UTF-16 to the thread's ANSI code page (WideCharToMultiByte, flags 0, the default
// replacement character for what the code page cannot hold).
std::string ToFileText(const std::wstring& text);

// The thread's ANSI code page to UTF-16 (MultiByteToWideChar, flags 0). A null
// pointer, or a text that converts to nothing, gives "".
std::wstring FromFileText(const char* text);
std::wstring FromFileText(const std::string& text);

// Converts text and writes all of it, without a terminating NUL, with one WriteFile
// at the file's current position. Lists are best effort by design: the outcome of
// the write is not examined, so there is nothing to return.
void WriteFileText(HANDLE file, const std::wstring& text);
