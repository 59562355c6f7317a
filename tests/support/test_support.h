#pragma once
// Helpers shared by the test programs: temporary folders, files, child processes
// and the debugger output. Everything here uses the real Win32 API.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Folder of the running program (ends without a backslash).
std::wstring ProgramFolder();
// Path of a program or DLL built beside the running one.
std::wstring BuiltFile(const std::wstring& name);

// A fresh folder under %TEMP%, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const void* data, size_t size);
bool WriteTextFile(const std::wstring& path, const std::string& utf8);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool CopyBuiltFile(const std::wstring& name, const std::wstring& folder);

// Little-endian reads at literal offsets.
uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset);
uint64_t U64At(const std::vector<uint8_t>& bytes, size_t offset);
std::wstring WideAt(const std::vector<uint8_t>& bytes, size_t offset, size_t capacityChars);

std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

struct ChildResult {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  DWORD processId = 0;
  std::string output;  // standard output and standard error
};

// Starts program (command line: the quoted program, a blank, the arguments) in the
// given folder (empty: the current one) with its standard output and error going
// into a new pipe; *readEnd receives the pipe's read end, which the child does not
// inherit. False when the process cannot be started.
bool StartWithOutputPipe(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                         PROCESS_INFORMATION* info, HANDLE* readEnd);

// Appends what the pipe holds right now to output; never blocks. A process that
// inherited the write end (a grandchild, or one of Wine's own) may keep a pipe open
// long after the child has ended, so readers poll instead of waiting for its end.
void DrainPipe(HANDLE readEnd, std::string* output);

// Runs program with the given arguments (quoted as needed by the caller), from the
// given folder (empty: the current one), collecting its output. A child still
// running after timeoutMs is terminated and reported as timed out.
ChildResult RunChild(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs = 30000,
                     const std::wstring& folder = L"");

// Child host programs take steps such as "name:a:b:rest" and print one line per
// step, "<step> 0x%08X". StepField splits a step at its colons (index 0 is the
// name; with rest, the field keeps any further colons); StepResult finds a step's
// printed value in a host's output, or 0xFFFFFFFF.
std::wstring StepField(const std::wstring& step, int index, bool rest = false);
unsigned long StepResult(const std::string& output, const std::string& step);

// Collects what the process writes to the debugger output while it lives.
class DebugOutputCapture {
 public:
  DebugOutputCapture();
  ~DebugOutputCapture();
  std::vector<std::wstring> Lines() const;

 private:
  PVOID handler_;
};

}  // namespace testing_support
