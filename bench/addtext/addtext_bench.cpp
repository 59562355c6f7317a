// Quorvel_AddText against formatting the same text alone into a stack buffer, side
// by side in one run: one thread, then four threads at once. Prints per-call times
// and their ratio (the median of several rounds, each timing both kinds back to
// back).
//   bench_addtext [calls per round and thread, default 20000] [rounds, default 9]
#include <windows.h>

#include "../common/bench_clock.h"
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "quorvel.h"

namespace {

const wchar_t kFormat[] = L"request %d from %s took %d ms (%s)";
volatile wchar_t sink;

// What AddText does before it stores: the same formatter, the same buffer size.
void FormatAlone(const wchar_t* format, ...) {
  wchar_t buffer[2048];
  va_list args;
  va_start(args, format);
  _vsnwprintf_s(buffer, 2048, _TRUNCATE, format, args);
  va_end(args);
  sink = buffer[7];
}

void Format(int i) { FormatAlone(kFormat, i, L"worker-thread", i % 1000, L"cache hit"); }
void Add(int i) { Quorvel_AddText(kFormat, i, L"worker-thread", i % 1000, L"cache hit"); }

struct Job {
  void (*call)(int);
  int calls;
  HANDLE start;
};

DWORD WINAPI RunJob(void* parameter) {
  Job* job = static_cast<Job*>(parameter);
  WaitForSingleObject(job->start, INFINITE);
  for (int i = 0; i < job->calls; ++i) job->call(i);
  return 0;
}

// Nanoseconds per call with `threads` threads making `calls` calls each, timed from
// the common start to the last thread's end.
double TimePerCall(void (*call)(int), int calls, int threads) {
  HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Job job{call, calls, start};
  std::vector<HANDLE> handles;
  for (int t = 0; t < threads; ++t) handles.push_back(CreateThread(nullptr, 0, RunJob, &job, 0, nullptr));
  Sleep(10);
  double begin = BenchSeconds();
  SetEvent(start);
  WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
  double elapsed = BenchSeconds() - begin;
  for (HANDLE h : handles) CloseHandle(h);
  CloseHandle(start);
  return elapsed * 1e9 / (static_cast<double>(calls) * threads);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Compare(const char* label, int calls, int threads, int rounds) {
  std::vector<double> format, add, ratio;
  for (int r = 0; r < rounds; ++r) {
    double f = TimePerCall(Format, calls, threads);
    double a = TimePerCall(Add, calls, threads);
    format.push_back(f);
    add.push_back(a);
    ratio.push_back(a / f);
  }
  printf("%-10s format alone %8.0f ns/call   Quorvel_AddText %8.0f ns/call   ratio %.2f\n", label, Median(format),
         Median(add), Median(ratio));
}

// A folder with the configuration and a stand-in user-interface program.
std::wstring PrepareFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"qvbench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const char config[] = "<?xml version=\"1.0\"?>\n<quorvel><runtime><enabled>true</enabled></runtime></quorvel>\n";
  HANDLE file = CreateFileW((folder + L"\\QuorvelConfig.xml").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, config, sizeof(config) - 1, &written, nullptr);
  CloseHandle(file);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  CopyFileW(self, (folder + L"\\QuorvelClient.exe").c_str(), FALSE);
  // The product's installer makes the report folder's parent; a fresh system lacks it.
  wchar_t local[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE);
  CreateDirectoryW((std::wstring(local) + L"\\Marlune").c_str(), nullptr);
  CreateDirectoryW((std::wstring(local) + L"\\Marlune\\Quorvel").c_str(), nullptr);
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  DeleteFileW((folder + L"\\QuorvelConfig.xml").c_str());
  DeleteFileW((folder + L"\\QuorvelClient.exe").c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int calls = argc > 1 ? _wtoi(argv[1]) : 20000;
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 9;
  if (calls <= 0 || rounds <= 0) return 2;

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring folder = PrepareFolder();
  HRESULT hr = Quorvel_InitializeNoCrash(0, folder.c_str());
  if (hr != S_OK) {
    printf("Quorvel_InitializeNoCrash failed: 0x%08lX\n", static_cast<unsigned long>(hr));
    RemoveFolder(folder);
    return 1;
  }
  printf("%d calls per thread and round, %d rounds, 64-KB log (wraps all the time), text of %d characters\n", calls,
         rounds, static_cast<int>(wcslen(L"request 12345 from worker-thread took 345 ms (cache hit)")));
  Compare("1 thread", calls, 1, rounds);
  Compare("4 threads", calls, 4, rounds);

  Quorvel_Shutdown();
  RemoveFolder(folder);
  CoUninitialize();
  return 0;
}
