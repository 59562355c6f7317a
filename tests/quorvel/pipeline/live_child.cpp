#include "live_child.h"

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
    // Grandchildren may still hold the pipe's write end.
    if (WaitForSingleObject(reader_, 2000) == WAIT_TIMEOUT) {
      CancelSynchronousIo(reader_);
      WaitForSingleObject(reader_, 2000);
    }
    CloseHandle(reader_);
  }
  if (readEnd_ != nullptr) CloseHandle(readEnd_);
  if (newOutput_ != nullptr) CloseHandle(newOutput_);
  if (lockReady_) DeleteCriticalSection(&lock_);
}

bool LiveChild::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
  InitializeCriticalSection(&lock_);
  lockReady_ = true;
  newOutput_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd_, &writeEnd, &inherit, 0)) return false;
  SetHandleInformation(readEnd_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(0);
  PROCESS_INFORMATION info = {};
  BOOL created = CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  CloseHandle(writeEnd);
  if (!created) return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  reader_ = CreateThread(nullptr, 0, ReadOutput, this, 0, nullptr);
  return true;
}

DWORD WINAPI LiveChild::ReadOutput(void* self) {
  LiveChild* child = static_cast<LiveChild*>(self);
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(child->readEnd_, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    EnterCriticalSection(&child->lock_);
    child->output_.append(chunk, got);
    LeaveCriticalSection(&child->lock_);
    SetEvent(child->newOutput_);
  }
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
  // Its last lines may still be in the pipe; processes it started may keep the
  // pipe open, so this wait is short.
  WaitForSingleObject(reader_, 1000);
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
