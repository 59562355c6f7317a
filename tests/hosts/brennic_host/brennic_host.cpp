// A host program for the tests: runs the steps named on its command line, in order,
// against Brennic.dll (loaded from this program's folder), and prints one line per
// step: "<step> 0x<result>".
//   load                       LoadLibrary("Brennic.dll"): 1 when loaded
//   unload                     FreeLibrary; also prints "unload-ms <n>", its duration
//   error:S:id:info            VrelQuorvel(id, info, S, 0); info keeps any colons
//   errornull:S                VrelQuorvel(null, null, S, 0)
//   deal:F:A                   DealWithList(F, A)              (F, A decimal or 0x hex)
//   run32:text                 Run32Send(null, null, text, SW_SHOW)
//   sleep:ms                   Sleep(ms)
//   loaded:name                1 when a module of that name is loaded
//   setcid:text                sets the registry value "reportcid" to text (REG_SZ)
//   setciddword:n              sets it to a REG_DWORD n
//   delcid                     deletes it
//   delkey                     deletes the key SOFTWARE\Holvane with it
// The registry steps sit here, right before a load, so that the time in which
// another test could see the value they set is as short as possible.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "brennic.h"
#include "test_support.h"

using testing_support::StepField;

namespace {

HMODULE brennic = nullptr;

DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 0)); }

void Print(const std::wstring& step, DWORD value) {
  printf("%ls 0x%08lX\n", step.c_str(), static_cast<unsigned long>(value));
  fflush(stdout);
}

template <typename Function>
Function Export(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(brennic, name)));
}

DWORD SetClientIdentifier(DWORD type, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Holvane", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                nullptr);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  status = RegSetValueExW(key, L"reportcid", 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(key);
  return static_cast<DWORD>(status);
}

DWORD DeleteClientIdentifier() {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Holvane", 0, KEY_WRITE, &key);
  if (status != ERROR_SUCCESS) return 0;
  RegDeleteValueW(key, L"reportcid");
  RegCloseKey(key);
  return 0;
}

std::string Narrow(const std::wstring& text) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], bytes, nullptr, nullptr);
  out.resize(out.empty() ? 0 : out.size() - 1);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::wstring step = argv[i];
    std::wstring name = StepField(step, 0);
    if (name == L"load") {
      brennic = LoadLibraryW(L"Brennic.dll");
      Print(step, brennic != nullptr);
    } else if (name == L"unload") {
      DWORD started = GetTickCount();
      BOOL freed = FreeLibrary(brennic);
      DWORD elapsed = GetTickCount() - started;
      brennic = nullptr;
      Print(step, freed);
      printf("unload-ms %lu\n", static_cast<unsigned long>(elapsed));
      fflush(stdout);
    } else if (name == L"error") {
      std::wstring id = StepField(step, 2);
      std::wstring info = StepField(step, 3, true);
      Print(step, Export<VrelQuorvelFunction>("VrelQuorvel")(id.c_str(), info.c_str(), Number(StepField(step, 1)), 0));
    } else if (name == L"errornull") {
      Print(step, Export<VrelQuorvelFunction>("VrelQuorvel")(nullptr, nullptr, Number(StepField(step, 1)), 0));
    } else if (name == L"deal") {
      Print(step, Export<DealWithListFunction>("DealWithList")(Number(StepField(step, 1)), Number(StepField(step, 2))));
    } else if (name == L"run32") {
      std::string text = Narrow(StepField(step, 1, true));
      Print(step, Export<Run32SendFunction>("Run32Send")(nullptr, nullptr, &text[0], SW_SHOW));
    } else if (name == L"sleep") {
      Sleep(Number(StepField(step, 1)));
      Print(step, 0);
    } else if (name == L"loaded") {
      Print(step, GetModuleHandleW(StepField(step, 1, true).c_str()) != nullptr);
    } else if (name == L"setcid") {
      std::wstring value = StepField(step, 1, true);
      Print(step, SetClientIdentifier(REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * 2)));
    } else if (name == L"setciddword") {
      DWORD value = Number(StepField(step, 1));
      Print(step, SetClientIdentifier(REG_DWORD, &value, sizeof(value)));
    } else if (name == L"delcid") {
      Print(step, DeleteClientIdentifier());
    } else if (name == L"delkey") {
      DeleteClientIdentifier();
      LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Holvane");
      Print(step, status == ERROR_FILE_NOT_FOUND ? 0 : static_cast<DWORD>(status));
    } else {
      printf("unknown step %ls\n", step.c_str());
      return 2;
    }
  }
  return 0;
}
