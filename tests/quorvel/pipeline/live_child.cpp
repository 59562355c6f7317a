#include "live_child.h"

#include "test_support.h"

#include <cstdlib>

LiveChild::~LiveChild() {
  for (HANDLE process : adopted_) {
    EndIfRunning(process);
    CloseHandle(process);
  }
  if (process_ != nullptr) {
    EndIfRunning(process_);
    CloseHandle(process_);
  }
  if (reader_ != nullptr) {
    SetEvent(stopReading_);
    WaitForSingleObject(reader_, INFINITE);  // it polls, so it always sees the stop
    CloseHandle(reader_);
  }
  if (stopReading_ != nullptr) CloseHandle(stopReading_);
  if (readEnd_ != nullptr) CloseHandle(readEnd_);
  if (newOutput_ != nullptr) CloseHandle(newOutput_);
  if (lockReady_) DeleteCriticalSection(&lock_);
}

bool LiveChild::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
  InitializeCriticalSection(&lock_);
  lockReady_ = true;
  newOutput_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  stopReading_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  PROCESS_INFORMATION info;
  if (!testing_support::StartWithOutputPipe(program, arguments, folder, &info, &readEnd_)) return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  reader_ = CreateThread(nullptr, 0, ReadOutput, this, 0, nullptr);
  return true;
}

void LiveChild::DrainOutput() const {
  EnterCriticalSection(&lock_);
  size_t before = output_.size();
  testing_support::DrainPipe(readEnd_, &output_);
  bool grew = output_.size() != before;
  LeaveCriticalSection(&lock_);
  if (grew) SetEvent(newOutput_);
}

// Polls the pipe until stopped: processes the child started may hold the pipe open
// long after it has ended.
DWORD WINAPI LiveChild::ReadOutput(void* self) {
  LiveChild* child = static_cast<LiveChild*>(self);
  do {
    child->DrainOutput();
  } while (WaitForSingleObject(child->stopReading_, 10) == WAIT_TIMEOUT);
  child->DrainOutput();
  return 0;
}

std::string LiveChild::Output() const {
  EnterCriticalSection(&lock_);
  std::string copy = output_;
  LeaveCriticalSection(&lock_);
  return copy;
}

bool LiveChild::WaitForOutput(const std::string& text, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    if (Output().find(text) != std::string::npos) return true;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    WaitForSingleObject(newOutput_, timeoutMs - elapsed < 200 ? timeoutMs - elapsed : 200);
  }
}

unsigned long LiveChild::Value(const std::string& prefix) const {
  std::string output = Output();
  std::string key = prefix + " ";
  for (size_t at = 0; (at = output.find(key, at)) != std::string::npos; at += key.size()) {
    if (at == 0 || output[at - 1] == '\n') return strtoul(output.c_str() + at + key.size(), nullptr, 0);
  }
  return 0;
}

bool LiveChild::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode != nullptr) GetExitCodeProcess(process_, exitCode);
  DrainOutput();  // its last lines are in the pipe by now
  return true;
}

void LiveChild::ForgetEndedProcess() {
  if (process_ == nullptr) return;
  EndIfRunning(process_);
  CloseHandle(process_);
  process_ = nullptr;
}

HANDLE LiveChild::Adopt(DWORD processId) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process != nullptr) adopted_.push_back(process);
  return process;
}

void EndIfRunning(HANDLE process) {
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process, 0xDEAD);
    WaitForSingleObject(process, 5000);
  }
}
