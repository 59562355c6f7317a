#include "host_steps.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "quorvel.h"
#include "test_support.h"

using testing_support::StepField;

namespace {
DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0)); }

bool HasField(const std::wstring& step, int index) {
  size_t colons = 0;
  for (wchar_t c : step) colons += c == L':';
  return colons >= static_cast<size_t>(index);
}
}  // namespace

void PrintStep(const std::wstring& step, unsigned long value) {
  printf("%ls 0x%08lX\n", step.c_str(), value);
  fflush(stdout);
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

bool RunCommonStep(const std::wstring& step) {
  std::wstring name = StepField(step, 0);
  DWORD flag = Number(StepField(step, 1));
  HRESULT hr;
  if (name == L"coinit") {
    hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  } else if (name == L"init") {
    hr = Quorvel_Initialize(flag);
  } else if (name == L"initopt") {
    std::wstring text = StepField(step, 3, true);
    hr = Quorvel_InitializeWithOptions(flag, Number(StepField(step, 2)), HasField(step, 3) ? text.c_str() : nullptr);
  } else if (name == L"initnc") {
    std::wstring folder = HasField(step, 2) ? StepField(step, 2, true) : OwnFolder();
    hr = Quorvel_InitializeNoCrash(flag, folder.c_str());
  } else if (name == L"initncnull") {
    hr = Quorvel_InitializeNoCrash(flag, nullptr);
  } else if (name == L"shutdown") {
    Quorvel_Shutdown();
    hr = S_OK;
  } else {
    return false;
  }
  PrintStep(step, static_cast<unsigned long>(hr));
  return true;
}
