// Brings up Wine's desktop process before the tests run and keeps it up. The first
// program that asks for the desktop starts it, and it inherits that program's
// output handles: started by a test under CTest, it would hold the test open until
// its time limit. With "hold" this program stays (detached) for the whole run.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (GetDesktopWindow() == nullptr) return 1;
  if (argc > 1 && std::strcmp(argv[1], "hold") == 0) Sleep(INFINITE);
  return 0;
}
