#pragma once
// A host folder for the pipeline tests: a pipeline host program, Quorvel.dll, the
// user-interface program and a configuration (the launcher only where a test puts
// it). The client records its command lines in a file of this folder's, and
// every report of a process the test names is removed with the folder.
#include <windows.h>

#include <string>
#include <vector>

#include "live_child.h"
#include "test_support.h"

// Runtime settings with the launcher off: tests outside the launcher program
// must not meet a launcher that another test runs at the same time.
extern const char kNoLauncher[];

class PipelineFolder {
 public:
  // core: the host built on the library's code (pipeline_core_host), which can
  // also hold reporterLock.
  explicit PipelineFolder(bool core = false, const std::string& runtime = kNoLauncher);
  ~PipelineFolder();
  PipelineFolder(const PipelineFolder&) = delete;
  PipelineFolder& operator=(const PipelineFolder&) = delete;

  std::wstring Dir() const { return dir_.path(); }
  std::wstring HostPath() const;
  void PutConfig(const std::string& runtime) const;
  void PutLauncher() const;

  // Starts the host with the steps; its report files are removed at the end.
  bool Start(LiveChild& child, const std::wstring& steps);
  // Also removes the reports of a process the host started (spawn).
  void ForgetReportsOf(DWORD processId) { processes_.push_back(processId); }

  // Command lines the user-interface program was started with, in order.
  std::vector<std::string> ClientCommandLines() const;

 private:
  testing_support::TempDir dir_;
  bool core_;
  std::vector<DWORD> processes_;
};

std::wstring ReportFolder();
// "MarluneApp<pid>.qvrp" and its full path; what the client writes beside it.
std::wstring ReportName(DWORD processId);
std::wstring ReportPath(DWORD processId);
std::wstring ClientOutput(DWORD processId, const wchar_t* extension);  // ".txt", ".json", ".dmp"

// Waits until a named event exists (another process created it).
bool WaitForNamedEvent(const std::wstring& name, DWORD timeoutMs);
// Sets the event a "hold" step waits for.
bool ReleaseHold(DWORD hostId);
