// A host program for the tests: runs the steps named on its command line, in order,
// against Quorvel.dll, and prints one line per step: "<step> 0x<result>".
//   coinit                     CoInitializeEx, apartment-threaded
//   init:F                     Quorvel_Initialize(F)          (F decimal or 0x hex)
//   initopt:F:V[:text]         Quorvel_InitializeWithOptions(F, V, text or null)
//   initnc:F[:folder]          Quorvel_InitializeNoCrash(F, folder or null)
//   addtext:text               Quorvel_AddText(L"%s", text)
//   abort:text                 Quorvel_UserAbort(L"%s", text)
//   filter                     Quorvel_CommonExceptionFilter on a made-up exception
//   level                      prints the shutdown level and flags
//   setlevel:N                 SetProcessShutdownParameters(N, 0)
//   shutdown                   Quorvel_Shutdown
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "quorvel.h"

namespace {

DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0)); }

void Print(const std::wstring& step, DWORD value) {
  printf("%ls 0x%08lX\n", step.c_str(), static_cast<unsigned long>(value));
  fflush(stdout);
}

// Splits "name:a:b:rest" into at most `count` fields; the last keeps any colons.
std::wstring Field(const std::wstring& step, int index, bool rest = false) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = step.find(L':', start);
    if (start == std::wstring::npos) return L"";
    ++start;
  }
  if (rest) return step.substr(start);
  size_t end = step.find(L':', start);
  return step.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

bool HasField(const std::wstring& step, int index) {
  size_t colons = 0;
  for (wchar_t c : step) colons += c == L':';
  return colons >= static_cast<size_t>(index);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring step = argv[i];
    std::wstring name = Field(step, 0);
    if (name == L"coinit") {
      Print(step, static_cast<DWORD>(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    } else if (name == L"init") {
      Print(step, static_cast<DWORD>(Quorvel_Initialize(Number(Field(step, 1)))));
    } else if (name == L"initopt") {
      std::wstring text = Field(step, 3, true);
      Print(step, static_cast<DWORD>(Quorvel_InitializeWithOptions(Number(Field(step, 1)), Number(Field(step, 2)),
                                                                   HasField(step, 3) ? text.c_str() : nullptr)));
    } else if (name == L"initnc") {
      std::wstring folder = Field(step, 2, true);
      Print(step, static_cast<DWORD>(
                      Quorvel_InitializeNoCrash(Number(Field(step, 1)), HasField(step, 2) ? folder.c_str() : nullptr)));
    } else if (name == L"addtext") {
      Print(step, static_cast<DWORD>(Quorvel_AddText(L"%s", Field(step, 1, true).c_str())));
    } else if (name == L"abort") {
      Print(step, static_cast<DWORD>(Quorvel_UserAbort(L"%s", Field(step, 1, true).c_str())));
    } else if (name == L"filter") {
      EXCEPTION_RECORD record = {};
      record.ExceptionCode = 0xE0000001;
      CONTEXT context = {};
      EXCEPTION_POINTERS pointers = {&record, &context};
      Print(step, static_cast<DWORD>(Quorvel_CommonExceptionFilter(&pointers)));
    } else if (name == L"level") {
      DWORD level = 0;
      DWORD flags = 0;
      GetProcessShutdownParameters(&level, &flags);
      Print(L"level", level);
      Print(L"flags", flags);
    } else if (name == L"setlevel") {
      Print(step, SetProcessShutdownParameters(Number(Field(step, 1)), 0));
    } else if (name == L"shutdown") {
      Quorvel_Shutdown();
      Print(step, 0);
    } else {
      printf("unknown step %ls\n", step.c_str());
      return 2;
    }
  }
  return 0;
}
