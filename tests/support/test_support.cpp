#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace testing_support {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring BuiltFile(const std::wstring& name) { return ProgramFolder() + L"\\" + name; }

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    wchar_t name[MAX_PATH];
    _snwprintf(name, MAX_PATH, L"%sqvtest-%lu-%lu-%ld", base, GetCurrentProcessId(), GetTickCount(),
               InterlockedIncrement(&counter));
    name[MAX_PATH - 1] = 0;
    if (CreateDirectoryW(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = size == 0 || WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return ok && written == size;
}

bool WriteTextFile(const std::wstring& path, const std::string& utf8) {
  return WriteFileBytes(path, utf8.data(), utf8.size());
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  DWORD size = GetFileSize(file, nullptr);
  bytes.resize(size);
  DWORD read = 0;
  if (size && !ReadFile(file, bytes.data(), size, &read, nullptr)) read = 0;
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool CopyBuiltFile(const std::wstring& name, const std::wstring& folder) {
  return CopyFileW(BuiltFile(name).c_str(), (folder + L"\\" + name).c_str(), FALSE) != FALSE;
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
  if (offset + 4 > bytes.size()) return 0xDEADBEEF;
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

uint64_t U64At(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint64_t>(U32At(bytes, offset)) | (static_cast<uint64_t>(U32At(bytes, offset + 4)) << 32);
}

std::wstring WideAt(const std::vector<uint8_t>& bytes, size_t offset, size_t capacityChars) {
  std::wstring text;
  for (size_t i = 0; i < capacityChars && offset + 2 * i + 1 < bytes.size(); ++i) {
    wchar_t c = static_cast<wchar_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

bool StartWithOutputPipe(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                         PROCESS_INFORMATION* info, HANDLE* readEnd) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  *readEnd = nullptr;
  if (!CreatePipe(readEnd, &writeEnd, &inherit, 0)) return false;
  SetHandleInformation(*readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(0);
  *info = {};
  BOOL created = CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup, info);
  CloseHandle(writeEnd);
  if (!created) {
    CloseHandle(*readEnd);
    *readEnd = nullptr;
  }
  return created != FALSE;
}

void DrainPipe(HANDLE readEnd, std::string* output) {
  DWORD available = 0;
  char chunk[4096];
  while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    DWORD got = 0;
    if (!ReadFile(readEnd, chunk, available < sizeof(chunk) ? available : sizeof(chunk), &got, nullptr) || got == 0)
      break;
    output->append(chunk, got);
  }
}

ChildResult RunChild(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs,
                     const std::wstring& folder) {
  ChildResult result;
  PROCESS_INFORMATION info;
  HANDLE readEnd = nullptr;
  if (!StartWithOutputPipe(program, arguments, folder, &info, &readEnd)) return result;
  result.started = true;
  result.processId = info.dwProcessId;

  DWORD start = GetTickCount();
  while (WaitForSingleObject(info.hProcess, 10) == WAIT_TIMEOUT) {
    DrainPipe(readEnd, &result.output);
    if (GetTickCount() - start >= timeoutMs) {
      result.timedOut = true;
      TerminateProcess(info.hProcess, 0xDEAD);
      WaitForSingleObject(info.hProcess, 5000);
      break;
    }
  }
  DrainPipe(readEnd, &result.output);  // the ended child's output is all in the pipe by now
  GetExitCodeProcess(info.hProcess, &result.exitCode);
  CloseHandle(readEnd);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

std::wstring StepField(const std::wstring& step, int index, bool rest) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = step.find(L':', start);
    if (start == std::wstring::npos) return L"";
    ++start;
  }
  if (rest) return step.substr(start);
  size_t end = step.find(L':', start);
  return step.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

unsigned long StepResult(const std::string& output, const std::string& step) {
  std::string key = step + " 0x";
  size_t at = 0;
  while ((at = output.find(key, at)) != std::string::npos) {
    if (at == 0 || output[at - 1] == '\n') return strtoul(output.c_str() + at + key.size(), nullptr, 16);
    at += key.size();
  }
  return 0xFFFFFFFFul;
}

namespace {
std::mutex captureLock;
std::vector<std::wstring>* capturedLines = nullptr;

LONG CALLBACK CaptureDebugOutput(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  const DWORD kWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C
  const DWORD kNarrow = 0x40010006;  // DBG_PRINTEXCEPTION_C
  if ((record->ExceptionCode == kWide || record->ExceptionCode == kNarrow) && record->NumberParameters >= 2) {
    std::lock_guard<std::mutex> guard(captureLock);
    if (capturedLines == nullptr) return EXCEPTION_CONTINUE_SEARCH;
    size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
    if (record->ExceptionCode == kWide) {
      const wchar_t* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
      std::wstring line(text, length ? length - 1 : 0);
      capturedLines->push_back(line);
      // The narrow form of the same text follows; count each text once.
      capturedLines->push_back(L"\x01wide");
    } else {
      const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
      std::string line(text, length ? length - 1 : 0);
      if (!capturedLines->empty() && capturedLines->back() == L"\x01wide") {
        capturedLines->pop_back();
      } else {
        capturedLines->push_back(Widen(line));
      }
    }
  }
  return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

DebugOutputCapture::DebugOutputCapture() {
  {
    std::lock_guard<std::mutex> guard(captureLock);
    capturedLines = new std::vector<std::wstring>();
  }
  handler_ = AddVectoredExceptionHandler(1, CaptureDebugOutput);
}

DebugOutputCapture::~DebugOutputCapture() {
  RemoveVectoredExceptionHandler(handler_);
  std::lock_guard<std::mutex> guard(captureLock);
  delete capturedLines;
  capturedLines = nullptr;
}

std::vector<std::wstring> DebugOutputCapture::Lines() const {
  std::lock_guard<std::mutex> guard(captureLock);
  std::vector<std::wstring> lines;
  for (const auto& l : *capturedLines)
    if (l != L"\x01wide") lines.push_back(l);
  return lines;
}

}  // namespace testing_support
