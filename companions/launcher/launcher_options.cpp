#include "launcher_options.h"

#include <cwchar>
#include <cstdlib>

namespace {
bool Value(const std::wstring& argument, const wchar_t* name, std::wstring* value) {
  const size_t length = wcslen(name);
  if (argument.compare(0, length, name) != 0) return false;
  *value = argument.substr(length);
  return true;
}
int Number(const std::wstring& text) { return static_cast<int>(wcstoul(text.c_str(), nullptr, 10)); }
}  // namespace

bool ParseLauncherOptions(int argc, wchar_t** argv, LauncherOptions* options, std::wstring* bad) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    std::wstring value;
    if (argument == L"--refuse") {
      options->refuse = true;
    } else if (argument == L"--no-pipe") {
      options->noPipe = true;
    } else if (argument == L"--any-process") {
      options->anyProcess = true;
    } else if (Value(argument, L"--negative=", &value)) {
      for (size_t start = 0; start < value.size();) {
        size_t comma = value.find(L',', start);
        options->negativeSteps.insert(Number(value.substr(start, comma - start)));
        start = comma == std::wstring::npos ? value.size() : comma + 1;
      }
    } else if (Value(argument, L"--close-at=", &value)) {
      options->closeAt = Number(value);
    } else if (Value(argument, L"--short-at=", &value)) {
      options->shortAt = Number(value);
    } else if (Value(argument, L"--silent-at=", &value)) {
      options->silentAt = Number(value);
    } else if (Value(argument, L"--stay=", &value)) {
      options->stayMs = static_cast<DWORD>(Number(value));
    } else if (Value(argument, L"--record=", &value)) {
      options->recordPath = value;
    } else if (Value(argument, L"--client=", &value)) {
      options->clientPath = value;
    } else {
      *bad = argument;
      return false;
    }
  }
  return true;
}
