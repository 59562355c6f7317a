#pragma once
// Command-line switches. Without any, the launcher behaves as a product's launcher
// would; the others let tests and demos make it misbehave on purpose.
#include <windows.h>

#include <set>
#include <string>

struct LauncherOptions {
  bool refuse = false;          // --refuse: answer every step negatively, register nobody
  std::set<int> negativeSteps;  // --negative=4,6: answer these reply steps (2, 4, 6, 8) negatively
  int closeAt = 0;              // --close-at=N: close the connection instead of answering step N
  int shortAt = 0;              // --short-at=N: answer step N with 2 bytes only
  int silentAt = 0;             // --silent-at=N: never answer step N
  bool noPipe = false;          // --no-pipe: run without ever creating the pipe
  DWORD stayMs = 0;             // --stay=MS: end after MS milliseconds, whatever happens
  bool anyProcess = false;      // --any-process: also serve programs installed elsewhere
  std::wstring recordPath;      // --record=PATH: append every byte received to PATH
  std::wstring clientPath;      // --client=PATH: the user-interface program
};

// False, with the offending argument in *bad, for a switch it does not know.
bool ParseLauncherOptions(int argc, wchar_t** argv, LauncherOptions* options, std::wstring* bad);
