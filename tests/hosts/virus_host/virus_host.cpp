// A host program for the virus tests: runs the steps on its command line, in order,
// against Brennic.dll, each step followed by its own arguments:
//   load DLL                   LoadLibraryW(DLL): process attach runs the load steps
//   report NAME PATH           VrelReportVirusInfo
//   reportmd5 NAME PATH MD5    VrelReportVirusInfoWithMD5
//   deal FLAGS ARG             DealWithList
//   waitfor FILE TEXT          waits up to 10 s until FILE exists and holds TEXT
//                              ("-" for any content, and then FILE may hold
//                              wildcards); exit code 3 when it does not
//   sleep MS                   Sleep
//   free                       FreeLibrary: process detach while the host lives on
// Without "free" the library unloads at the host's exit, as in most programs.
// Each export step prints "<step> <result>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_support.h"

namespace {

typedef int(__stdcall* ReportFunction)(const wchar_t*, const wchar_t*);
typedef int(__stdcall* ReportMd5Function)(const wchar_t*, const wchar_t*, const wchar_t*);
typedef int(__stdcall* DealFunction)(int, int);

// Exports are looked up by name, as a product program would bind them.
// A missing library or export ends the host with exit code 4.
template <typename Function>
Function Export(HMODULE module, const char* name) {
  FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
  if (address == nullptr) {
    printf("no export %s\n", name);
    ExitProcess(4);
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// With TEXT "-", FILE may hold wildcards: any match will do.
bool FileHolds(const std::wstring& path, const std::wstring& text) {
  if (text == L"-") {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(path.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return find != INVALID_HANDLE_VALUE;
  }
  if (!testing_support::FileExists(path)) return false;
  std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end()).find(testing_support::Narrow(text)) != std::string::npos;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HMODULE brennic = nullptr;
  auto arg = [&](int& i) -> const wchar_t* { return i + 1 < argc ? argv[++i] : L""; };
  for (int i = 1; i < argc; ++i) {
    std::wstring step = argv[i];
    if (step == L"load") {
      brennic = LoadLibraryW(arg(i));
      printf("load %d\n", brennic != nullptr);
    } else if (step == L"report") {
      auto report = Export<ReportFunction>(brennic, "VrelReportVirusInfo");
      const wchar_t* name = arg(i);
      printf("report %d\n", report(name, arg(i)));
    } else if (step == L"reportmd5") {
      auto report = Export<ReportMd5Function>(brennic, "VrelReportVirusInfoWithMD5");
      const wchar_t* name = arg(i);
      const wchar_t* path = arg(i);
      printf("reportmd5 %d\n", report(name, path, arg(i)));
    } else if (step == L"deal") {
      auto deal = Export<DealFunction>(brennic, "DealWithList");
      int flags = static_cast<int>(wcstol(arg(i), nullptr, 0));
      printf("deal %d\n", deal(flags, static_cast<int>(wcstol(arg(i), nullptr, 0))));
    } else if (step == L"waitfor") {
      std::wstring file = arg(i);
      std::wstring text = arg(i);
      DWORD start = GetTickCount();
      while (!FileHolds(file, text)) {
        if (GetTickCount() - start > 10000) {
          printf("waitfor timed out: %ls\n", file.c_str());
          return 3;
        }
        Sleep(10);
      }
    } else if (step == L"sleep") {
      Sleep(wcstoul(arg(i), nullptr, 0));
    } else if (step == L"free") {
      DWORD start = GetTickCount();
      FreeLibrary(brennic);
      brennic = nullptr;
      printf("free %lu ms\n", GetTickCount() - start);
    } else {
      printf("unknown step %ls\n", step.c_str());
      return 2;
    }
    fflush(stdout);
  }
  return 0;
}
