// A host program for the tests: runs the steps named on its command line, in order,
// against Quorvel.dll, and prints one line per step: "<step> 0x<result>".
//   the steps every host shares (common/host_steps.h): coinit, init, initopt,
//   initnc, initncnull, shutdown
//   addtext:text               Quorvel_AddText(L"%s", text)
//   addlong:N                  Quorvel_AddText(L"%s", a text of N letters "abc...zabc...")
//   addfile:V1:V2:path         Quorvel_AddFile(path, V1, V2)
//   removefile:path            Quorvel_RemoveFile(path)
//   reportfile                 prints "reportfile 0x<1 if it exists> <path>" for this
//                              process's report file
//   stale[:hold]               writes 200000 bytes of 0xAB where this process's report
//                              file goes, as an earlier process with the same id
//                              would have left it; with hold, keeps it open for
//                              reading without letting others write (deleting is
//                              allowed)
//   signal:name                sets (creating it) the named manual-reset event
//   wait:name                  waits up to 30 s for the named event (prints 0 when set)
//   abort:text                 Quorvel_UserAbort(L"%s", text)
//   filter                     Quorvel_CommonExceptionFilter on a made-up exception
//   level                      prints the shutdown level and flags
//   setlevel:N                 SetProcessShutdownParameters(N, 0)
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "host_steps.h"
#include "quorvel.h"
#include "test_support.h"

namespace {

DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0)); }

void Print(const std::wstring& step, DWORD value) {
  printf("%ls 0x%08lX\n", step.c_str(), static_cast<unsigned long>(value));
  fflush(stdout);
}

// Splits "name:a:b:rest" into at most `count` fields; the last keeps any colons.
std::wstring Field(const std::wstring& step, int index, bool rest = false) {
  return testing_support::StepField(step, index, rest);
}

std::wstring OwnReportFile() {
  wchar_t folder[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE);
  return std::wstring(folder) + L"\\Marlune\\Quorvel\\MarluneApp" + std::to_wstring(GetCurrentProcessId()) + L".qvrp";
}

DWORD WriteStaleReportFile(bool hold) {
  std::wstring path = OwnReportFile();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  std::string junk(200000, '\xAB');
  DWORD written = 0;
  WriteFile(file, junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr);
  CloseHandle(file);
  // Left open until the process ends. Deleting stays allowed, so that only the
  // library's own restraint keeps the file.
  if (hold) CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                        nullptr);
  return written == junk.size() ? 1 : 0;
}

HANDLE NamedEvent(const std::wstring& name) { return CreateEventW(nullptr, TRUE, FALSE, name.c_str()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring step = argv[i];
    std::wstring name = Field(step, 0);
    if (RunCommonStep(step)) {
    } else if (name == L"addtext") {
      Print(step, static_cast<DWORD>(Quorvel_AddText(L"%s", Field(step, 1, true).c_str())));
    } else if (name == L"addlong") {
      std::wstring text;
      for (DWORD n = Number(Field(step, 1)), k = 0; k < n; ++k) text.push_back(static_cast<wchar_t>(L'a' + k % 26));
      Print(step, static_cast<DWORD>(Quorvel_AddText(L"%s", text.c_str())));
    } else if (name == L"addfile") {
      Print(step, static_cast<DWORD>(
                      Quorvel_AddFile(Field(step, 3, true).c_str(), Number(Field(step, 1)), Number(Field(step, 2)))));
    } else if (name == L"removefile") {
      Print(step, static_cast<DWORD>(Quorvel_RemoveFile(Field(step, 1, true).c_str())));
    } else if (name == L"reportfile") {
      std::wstring path = OwnReportFile();
      printf("reportfile 0x%08lX %ls\n", GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? 1ul : 0ul,
             path.c_str());
      fflush(stdout);
    } else if (name == L"stale") {
      Print(step, WriteStaleReportFile(Field(step, 1) == L"hold"));
    } else if (name == L"signal") {
      HANDLE event = NamedEvent(Field(step, 1, true));
      Print(step, SetEvent(event) ? 0 : GetLastError());
      // Kept open: the event must outlive this step for the waiter to see it.
    } else if (name == L"wait") {
      HANDLE event = NamedEvent(Field(step, 1, true));
      Print(step, WaitForSingleObject(event, 30000));
      CloseHandle(event);
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
    } else {
      printf("unknown step %ls\n", step.c_str());
      return 2;
    }
  }
  return 0;
}
