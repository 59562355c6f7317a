// A host that initializes Quorvel and then really faults. Runs the steps named on
// its command line in order and prints one line per step, "<step> 0x<value>";
// reaching the end it prints "end" and exits with kRanToTheEnd.
//   coinit                 CoInitializeEx, apartment-threaded
//   init:F                 Quorvel_Initialize(F)
//   initnc:F               Quorvel_InitializeNoCrash(F, the host's own folder)
//   shutdown               Quorvel_Shutdown
//   bypass / endbypass     Quorvel_StartTrapBypass / Quorvel_EndTrapBypass
//   hostfilter             installs the host's own unhandled-exception filter
//   filter                 prints 1 when the current filter is the host's
//   av                     writes to address 0x10 (registers hold marker values)
//   jump:A                 calls code at address A
//   div0 / illegal         integer divide by zero / an illegal instruction
//   overflow               overflows the stack
//   raise:C                raises exception C, which nobody handles
//   handled:C              raises C under a frame handler of the host that
//                          dismisses it, then goes on ("handled:C 0x1")
//   continuecheck          prints 1 when the system calls a vectored continue
//                          handler after a frame handler dismissed an exception
//   debugout:T             writes T to the debugger output under a frame handler
//                          of the host's that lets every exception pass
//   thread:STEP            runs one step on a new thread and waits for it
//   together:N:STEP        N threads run STEP at the same moment
//   hold:STEP              a second thread runs STEP and stays alive; later
//                          steps run while it holds (for example its bypass)
// At start it prints "base", its own load address, and "thread", its id.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "faults.h"
#include "host_steps.h"
#include "quorvel.h"
#include "test_support.h"

namespace {

constexpr int kRanToTheEnd = 7;

void Print(const std::wstring& step, unsigned long value) {
  printf("%ls 0x%08lX\n", step.c_str(), value);
  fflush(stdout);
}

unsigned long Number(const std::wstring& text) { return wcstoul(text.c_str(), nullptr, 0); }

std::wstring Field(const std::wstring& step, int index, bool rest = false) {
  return testing_support::StepField(step, index, rest);
}

LONG WINAPI HostFilter(EXCEPTION_POINTERS* pointers) {
  Print(L"hostfilter-ran", pointers->ExceptionRecord->ExceptionCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

volatile LONG continueCalls = 0;

LONG CALLBACK CountContinue(EXCEPTION_POINTERS*) {
  InterlockedIncrement(&continueCalls);
  return EXCEPTION_CONTINUE_SEARCH;
}

void RunStep(const std::wstring& step);

struct ThreadStep {
  std::wstring step;
  HANDLE go = nullptr;     // waited on before running, when set
  HANDLE ready = nullptr;  // set once the thread is about to wait or has run
  HANDLE stay = nullptr;   // waited on after running, when set
};

DWORD WINAPI RunThreadStep(void* argument) {
  ThreadStep* task = static_cast<ThreadStep*>(argument);
  Print(L"thread", GetCurrentThreadId());
  if (task->go != nullptr) {
    SetEvent(task->ready);
    WaitForSingleObject(task->go, INFINITE);
  }
  RunStep(task->step);
  if (task->ready != nullptr) SetEvent(task->ready);
  if (task->stay != nullptr) WaitForSingleObject(task->stay, INFINITE);
  return 0;
}

void Together(int count, const std::wstring& step) {
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<ThreadStep> tasks(count);
  std::vector<HANDLE> threads;
  for (ThreadStep& task : tasks) {
    task.step = step;
    task.go = go;
    task.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    threads.push_back(CreateThread(nullptr, 0, RunThreadStep, &task, 0, nullptr));
    WaitForSingleObject(task.ready, INFINITE);
  }
  SetEvent(go);
  WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
}

std::vector<ThreadStep*> holders;

void RunStep(const std::wstring& step) {
  const std::wstring name = Field(step, 0);
  if (RunCommonStep(step)) {
  } else if (name == L"bypass") {
    Quorvel_StartTrapBypass();
    Print(step, 0);
  } else if (name == L"endbypass") {
    Quorvel_EndTrapBypass();
    Print(step, 0);
  } else if (name == L"hostfilter") {
    SetUnhandledExceptionFilter(HostFilter);
    Print(step, 0);
  } else if (name == L"filter") {
    LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(current);
    Print(step, current == HostFilter);
  } else if (name == L"av") {
    WriteToLowAddress();
  } else if (name == L"jump") {
    JumpTo(Number(Field(step, 1)));
  } else if (name == L"div0") {
    DivideByZero();
  } else if (name == L"illegal") {
    IllegalInstruction();
  } else if (name == L"overflow") {
    OverflowStack();
  } else if (name == L"raise") {
    RaiseException(Number(Field(step, 1)), 0, 0, nullptr);
  } else if (name == L"handled") {
    RaiseHandled(Number(Field(step, 1)));
    Print(step, 1);
  } else if (name == L"continuecheck") {
    PVOID handler = AddVectoredContinueHandler(1, CountContinue);
    RaiseHandled(0xE0000077);
    RemoveVectoredContinueHandler(handler);
    Print(step, continueCalls > 0);
  } else if (name == L"debugout") {
    DebugOutputUnderOwnHandler(Field(step, 1, true).c_str());
    Print(step, 1);
  } else if (name == L"thread") {
    ThreadStep task;
    task.step = Field(step, 1, true);
    HANDLE thread = CreateThread(nullptr, 0, RunThreadStep, &task, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  } else if (name == L"together") {
    Together(static_cast<int>(Number(Field(step, 1))), Field(step, 2, true));
  } else if (name == L"hold") {
    ThreadStep* task = new ThreadStep;
    task->step = Field(step, 1, true);
    task->ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    task->stay = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, RunThreadStep, task, 0, nullptr);
    WaitForSingleObject(task->ready, INFINITE);
    holders.push_back(task);
  } else {
    printf("unknown step %ls\n", step.c_str());
    fflush(stdout);
    ExitProcess(2);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Print(L"base", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr))));
  Print(L"thread", GetCurrentThreadId());
  for (int i = 1; i < argc; ++i) RunStep(argv[i]);
  for (ThreadStep* task : holders) SetEvent(task->stay);
  printf("end\n");
  fflush(stdout);
  return kRanToTheEnd;
}
