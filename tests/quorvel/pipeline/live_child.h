#pragma once
// A child process that runs while the test watches it: its output is read on a
// thread as it comes, so a test can wait for a line, act (set an event, end a
// process) and wait again. Whatever still runs when the object goes is
// terminated, and so is every process handed to Adopt().
#include <windows.h>

#include <string>
#include <vector>

class LiveChild {
 public:
  LiveChild() = default;
  ~LiveChild();
  LiveChild(const LiveChild&) = delete;
  LiveChild& operator=(const LiveChild&) = delete;

  bool Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder);
  DWORD Id() const { return processId_; }
  HANDLE Process() const { return process_; }

  // Waits until the output holds `text` (true) or the time is up.
  bool WaitForOutput(const std::string& text, DWORD timeoutMs) const;
  std::string Output() const;
  // The number after "<prefix> " in the first line that starts with it; 0 if none.
  unsigned long Value(const std::string& prefix) const;
  // Waits for the end; false if it still runs after timeoutMs.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;

  // Closes the handle of the ended child: only then is its process id gone.
  void ForgetEndedProcess();

  // Opens a process by id now, so the test can see its end and ends it if needed.
  HANDLE Adopt(DWORD processId);

 private:
  static DWORD WINAPI ReadOutput(void* self);
  void DrainOutput() const;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HANDLE readEnd_ = nullptr;
  HANDLE reader_ = nullptr;
  HANDLE newOutput_ = nullptr;
  HANDLE stopReading_ = nullptr;
  mutable CRITICAL_SECTION lock_;
  bool lockReady_ = false;
  mutable std::string output_;
  std::vector<HANDLE> adopted_;
};

// Ends a process by handle if it still runs and waits briefly for it.
void EndIfRunning(HANDLE process);
