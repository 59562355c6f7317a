#pragma once
// Stand-ins for the library's shared text conversion, writing rule and client
// identifier, used until those land from the error side. Replaced on merge.
#include <windows.h>

#include <string>

std::string PendingToFileText(const std::wstring& text);
std::wstring PendingFromFileText(const char* text, size_t bytes);
void PendingWriteFileText(HANDLE file, const std::wstring& text);
std::wstring PendingClientIdentifier();
