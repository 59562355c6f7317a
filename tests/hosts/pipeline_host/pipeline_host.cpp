// A host for the pipeline tests: runs the steps named on its command line, in
// order, and prints one line per step, "<step> 0x<result>", plus a few facts
// ("thread <id>", "child <pid>"). Steps:
//   coinit                   CoInitializeEx, apartment-threaded
//   init:F                   Quorvel_Initialize(F)
//   initopt:F:V[:text]       Quorvel_InitializeWithOptions(F, V, text or null)
//   initnc:F                 Quorvel_InitializeNoCrash(F, this program's folder)
//   abort:text | abortn:N    Quorvel_UserAbort(L"%s", text or N generated characters)
//   installn:N               Quorvel_InstallFail(L"%s", N generated characters)
//   managed:a:b              Quorvel_ManagedException(a, b, null, null)
//   managednull              Quorvel_ManagedException(null, null, null, null)
//   crash                    a real access violation, filed from a vectored
//                            handler through Quorvel_UnmanagedException
//   watch:PID | watchself[:label]  Quorvel_StartMonitoringProcess
//   unwatch:PID              Quorvel_StopMonitoringProcess
//   unwatchchild:N           Quorvel_StopMonitoringProcess of the N-th child
//   child:MS:CODE            starts "pipeline_host sleep:MS exit:CODE", prints
//                            "child <pid>" and watches it
//   onmonitor:report|watch   once the monitor thread next writes debug output,
//                            file a crash report for that output's exception, or
//                            watch this process, from that thread (which it
//                            prints as "monitor-thread <id>"; the call's result
//                            as "from-monitor 0x<result>")
//   hold:MS                  waits up to MS for the event
//                            "QuorvelPipelineGo<own pid>", which a test sets
//   ready                    sets the event "QuorvelPipelineReady<own pid>"
//   spawn:wait|nowait ...    starts this program with the remaining steps (it
//                            shares this one's output), prints "spawned <pid>", waits
//                            for that child's "ready" or not, and ends
//   delete:name              deletes a file beside this program
//   sleep:MS | exit:CODE | shutdown
// pipeline_core_host, built from the same source on the library's code, adds:
//   lock | unlock            enter or leave reporterLock on this thread
//   stopmonitor              stop the monitor thread (as a failed wait would end it)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_steps.h"
#include "quorvel.h"
#include "test_support.h"
#ifdef PIPELINE_CORE_HOST
#include "reporter.h"
#endif

namespace {

DWORD mainThreadId = 0;
std::vector<DWORD> children;
volatile LONG monitorAction = 0;  // 0 none, 1 report, 2 watch
void* monitorHandler = nullptr;

DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0)); }

void Print(const std::wstring& step, DWORD value) {
  printf("%ls 0x%08lX\n", step.c_str(), static_cast<unsigned long>(value));
  fflush(stdout);
}

void Say(const char* what, unsigned long value) {
  printf("%s %lu\n", what, value);
  fflush(stdout);
}

std::wstring Field(const std::wstring& step, int index, bool rest = false) {
  return testing_support::StepField(step, index, rest);
}

// "0123456789" repeated: a test can rebuild any prefix.
std::wstring Generated(DWORD count) {
  std::wstring text;
  for (DWORD i = 0; i < count; ++i) text.push_back(static_cast<wchar_t>(L'0' + i % 10));
  return text;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// Starts this program again; with shareOutput the child writes into our output.
DWORD StartSelf(const std::wstring& arguments, bool shareOutput, HANDLE* processOut) {
  std::wstring commandLine = L"\"" + OwnPath() + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (shareOutput) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(OwnPath().c_str(), buffer.data(), nullptr, nullptr, shareOutput, 0, nullptr, nullptr, &startup,
                      &info)) {
    return 0;
  }
  CloseHandle(info.hThread);
  if (processOut) {
    *processOut = info.hProcess;
  } else {
    CloseHandle(info.hProcess);
  }
  return info.dwProcessId;
}

HANDLE OwnEvent(const wchar_t* prefix, DWORD processId) {
  wchar_t name[64];
  _snwprintf(name, 64, L"%s%lu", prefix, processId);
  name[63] = 0;
  return CreateEventW(nullptr, TRUE, FALSE, name);
}

LONG CALLBACK FileAccessViolation(EXCEPTION_POINTERS* pointers) {
  if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
  HRESULT hr = Quorvel_UnmanagedException(pointers);
  Print(L"crash-report", static_cast<DWORD>(hr));
  ExitProcess(7);  // only when the report did not end the process
}

// Debug output raises an exception on the writing thread: a host handler that
// files reports sees it on the monitor thread too.
LONG CALLBACK ActOnMonitorOutput(EXCEPTION_POINTERS* pointers) {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  const DWORD kWideDebugOutput = 0x4001000A;  // Wine raises only the narrow one
  const DWORD kDebugOutput = 0x40010006;
  if ((code != kWideDebugOutput && code != kDebugOutput) || GetCurrentThreadId() == mainThreadId) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  LONG action = InterlockedExchange(&monitorAction, 0);
  if (action != 0) Say("monitor-thread", GetCurrentThreadId());
  if (action == 1) Print(L"from-monitor", static_cast<DWORD>(Quorvel_UnmanagedException(pointers)));
  if (action == 2) Print(L"from-monitor", static_cast<DWORD>(Quorvel_StartMonitoringProcess(GetCurrentProcessId())));
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  mainThreadId = GetCurrentThreadId();
  for (int i = 1; i < argc; ++i) {
    std::wstring step = argv[i];
    std::wstring name = Field(step, 0);
    if (RunCommonStep(step)) {
    } else if (name == L"abort" || name == L"abortn") {
      std::wstring text = name == L"abort" ? Field(step, 1, true) : Generated(Number(Field(step, 1)));
      Print(step, static_cast<DWORD>(Quorvel_UserAbort(L"%s", text.c_str())));
    } else if (name == L"installn") {
      Print(step, static_cast<DWORD>(Quorvel_InstallFail(L"%s", Generated(Number(Field(step, 1))).c_str())));
    } else if (name == L"managed") {
      Print(step, static_cast<DWORD>(
                      Quorvel_ManagedException(Field(step, 1).c_str(), Field(step, 2).c_str(), nullptr, nullptr)));
    } else if (name == L"managednull") {
      Print(step, static_cast<DWORD>(Quorvel_ManagedException(nullptr, nullptr, nullptr, nullptr)));
    } else if (name == L"crash") {
      Say("thread", GetCurrentThreadId());
      Say("base", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr))));
      AddVectoredExceptionHandler(1, FileAccessViolation);
      *static_cast<volatile int*>(nullptr) = 1;
    } else if (name == L"watch") {
      Print(step, static_cast<DWORD>(Quorvel_StartMonitoringProcess(Number(Field(step, 1)))));
    } else if (name == L"unwatchchild") {
      DWORD index = Number(Field(step, 1));
      Print(step, static_cast<DWORD>(
                      Quorvel_StopMonitoringProcess(index >= 1 && index <= children.size() ? children[index - 1] : 0)));
    } else if (name == L"watchself") {
      Print(step, static_cast<DWORD>(Quorvel_StartMonitoringProcess(GetCurrentProcessId())));
    } else if (name == L"unwatch") {
      Print(step, static_cast<DWORD>(Quorvel_StopMonitoringProcess(Number(Field(step, 1)))));
    } else if (name == L"child") {
      DWORD child = StartSelf(L"sleep:" + Field(step, 1) + L" exit:" + Field(step, 2), false, nullptr);
      children.push_back(child);
      Say("child", child);
      Print(step, static_cast<DWORD>(Quorvel_StartMonitoringProcess(child)));
    } else if (name == L"onmonitor") {
      if (monitorHandler == nullptr) monitorHandler = AddVectoredExceptionHandler(1, ActOnMonitorOutput);
      InterlockedExchange(&monitorAction, Field(step, 1) == L"report" ? 1 : 2);
      Print(step, 0);
    } else if (name == L"hold") {
      HANDLE go = OwnEvent(L"QuorvelPipelineGo", GetCurrentProcessId());
      Print(step, WaitForSingleObject(go, Number(Field(step, 1))));
    } else if (name == L"ready") {
      SetEvent(OwnEvent(L"QuorvelPipelineReady", GetCurrentProcessId()));  // kept open for the process's life
      Print(step, 0);
    } else if (name == L"spawn") {
      std::wstring rest;
      for (int j = i + 1; j < argc; ++j) rest += std::wstring(j > i + 1 ? L" " : L"") + L"\"" + argv[j] + L"\"";
      HANDLE child = nullptr;
      DWORD childId = StartSelf(rest, true, &child);
      Say("spawned", childId);
      if (childId != 0 && Field(step, 1) == L"wait") {
        HANDLE ready = OwnEvent(L"QuorvelPipelineReady", childId);
        HANDLE waits[2] = {ready, child};
        Print(step, WaitForMultipleObjects(2, waits, FALSE, 30000));
      }
      return 0;
    } else if (name == L"delete") {
      Print(step, DeleteFileW((OwnFolder() + L"\\" + Field(step, 1)).c_str()) ? 0 : GetLastError());
    } else if (name == L"sleep") {
      Sleep(Number(Field(step, 1)));
      Print(step, 0);
    } else if (name == L"exit") {
      return static_cast<int>(Number(Field(step, 1)));
#ifdef PIPELINE_CORE_HOST
    } else if (name == L"lock") {
      EnterCriticalSection(&GetOrCreateReporter()->reporterLock);
      Print(step, 0);
    } else if (name == L"unlock") {
      LeaveCriticalSection(&GetOrCreateReporter()->reporterLock);
      Print(step, 0);
    } else if (name == L"stopmonitor") {
      GetOrCreateReporter()->StopMonitorThread();
      Print(step, 0);
#endif
    } else {
      printf("unknown step %ls\n", step.c_str());
      return 2;
    }
  }
  return 0;
}
