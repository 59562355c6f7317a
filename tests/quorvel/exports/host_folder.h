#pragma once
// A folder laid out like an installed host: the test host program, Quorvel.dll and
// whatever configuration and companion programs a test puts beside them.
#include <string>

#include "test_support.h"

class HostFolder {
 public:
  // subfolder: where the host program and the DLL go, relative to the folder ("" or "x86").
  explicit HostFolder(const std::wstring& subfolder = L"");
  std::wstring Root() const { return dir_.path(); }
  std::wstring HostDir() const { return hostDir_; }
  void PutConfig(const std::string& xml, const std::wstring& where = L"") const;
  // A stand-in for the user-interface program: any program will do where only its
  // existence is tested.
  void PutClient(const std::wstring& where = L"", const std::wstring& name = L"QuorvelClient.exe") const;
  testing_support::ChildResult Run(const std::wstring& steps, unsigned timeoutMs = 30000) const;

 private:
  testing_support::TempDir dir_;
  std::wstring hostDir_;
};

// The value a host printed for a step ("<step> 0x%08X"), or 0xFFFFFFFF.
using testing_support::StepResult;

// The report folder "%LOCALAPPDATA%\Marlune\Quorvel\" (ending in a backslash),
// created with both levels when missing: the library creates only the last one, and
// a fresh prefix lacks "Marlune".
std::wstring EnsureReportFolder();
// Where the report file of the given process lies ("...\MarluneApp<id>.qvrp").
std::wstring ReportFilePath(unsigned long processId);
