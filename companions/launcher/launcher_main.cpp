// QuorvelLauncher.exe [switches, see launcher_options.h]
// Runs the pipe server "\\.\pipe\LaunchServerPipe" for reporting processes to
// register with, keeps the event "QuorvelLauncher" while it runs, and when a
// registered process sets its "LaunchUI<pid>.qvrp" starts the user-interface
// program on that process's report. It ends once every registered process has
// gone (its client, if any, has ended), after 30 s without any registration, or
// at the --stay time; its event disappears with it, which lets a reporting
// process that waits for it end.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/unique_handle.h"
#include "launcher_exchange.h"
#include "launcher_options.h"
#include "registrations.h"
#include "report/companion_file.h"
#include "report/launcher_pipe.h"

namespace {

constexpr DWORD kIdleLimitMs = 30000;
constexpr DWORD kPipeBufferSize = 4096;

class PipeServer {
 public:
  bool Create() {
    connected_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // The first instance only: a second launcher must not serve the same name.
    pipe_.reset(CreateNamedPipeW(kLauncherPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kPipeBufferSize, kPipeBufferSize, 0,
                                 nullptr));
    return pipe_.valid() && connected_.valid() && Listen();
  }
  HANDLE ConnectedEvent() const { return connected_.get(); }
  void Serve(const LauncherOptions& options, std::vector<Registration>* registrations) {
    DWORD ignored = 0;
    GetOverlappedResult(pipe_.get(), &overlapped_, &ignored, FALSE);
    ServeConnection(pipe_.get(), options, registrations);
    DisconnectNamedPipe(pipe_.get());
    Listen();
  }

 private:
  bool Listen() {
    ResetEvent(connected_.get());
    overlapped_ = {};
    overlapped_.hEvent = connected_.get();
    if (ConnectNamedPipe(pipe_.get(), &overlapped_)) {
      SetEvent(connected_.get());
      return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) SetEvent(connected_.get());
    return error == ERROR_PIPE_CONNECTED || error == ERROR_IO_PENDING;
  }
  UniqueFileHandle pipe_;
  UniqueHandle connected_;
  OVERLAPPED overlapped_ = {};
};

void Say(const char* what, DWORD processId) {
  printf("launcher: %s %lu\n", what, static_cast<unsigned long>(processId));
  fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  LauncherOptions options;
  std::wstring bad;
  if (!ParseLauncherOptions(argc, argv, &options, &bad)) {
    fprintf(stderr, "QuorvelLauncher: unknown switch %ls\n", bad.c_str());
    return 2;
  }
  if (options.clientPath.empty()) {
    wchar_t client[MAX_PATH];
    FindCompanionFile(client, MAX_PATH, L"QuorvelClient.exe");
    options.clientPath = client;
  }
  PipeServer server;
  if (!options.noPipe && !server.Create()) {
    fprintf(stderr, "QuorvelLauncher: cannot serve the pipe (%lu); another launcher runs?\n", GetLastError());
    return 1;
  }
  // Created after the pipe: whoever sees the event can connect.
  UniqueHandle running(CreateEventW(nullptr, TRUE, FALSE, L"QuorvelLauncher"));
  if (!running || GetLastError() == ERROR_ALREADY_EXISTS) {
    fprintf(stderr, "QuorvelLauncher: another launcher runs\n");
    return 1;
  }
  printf("launcher: ready, process %lu\n", GetCurrentProcessId());
  fflush(stdout);

  std::vector<Registration> registrations;
  bool everRegistered = false;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (options.stayMs != 0 && elapsed >= options.stayMs) break;
    if (options.stayMs == 0 && registrations.empty() && (everRegistered || elapsed >= kIdleLimitMs)) break;

    std::vector<HANDLE> waits;
    std::vector<size_t> owner;  // registration index per wait handle; SIZE_MAX for the pipe
    if (!options.noPipe) {
      waits.push_back(server.ConnectedEvent());
      owner.push_back(SIZE_MAX);
    }
    for (size_t i = 0; i < registrations.size() && waits.size() + 2 <= MAXIMUM_WAIT_OBJECTS; ++i) {
      if (registrations[i].client) {
        waits.push_back(registrations[i].client.get());
        owner.push_back(i);
      } else {
        waits.push_back(registrations[i].launchUi.get());
        owner.push_back(i);
        waits.push_back(registrations[i].process.get());
        owner.push_back(i);
      }
    }
    const DWORD timeout = options.stayMs != 0 ? options.stayMs - elapsed : 1000;
    DWORD woken = waits.empty() ? (Sleep(timeout), WAIT_TIMEOUT)
                                : WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, timeout);
    if (woken == WAIT_TIMEOUT) continue;
    if (woken >= WAIT_OBJECT_0 + waits.size()) break;
    const size_t index = woken - WAIT_OBJECT_0;
    if (owner[index] == SIZE_MAX) {
      const size_t before = registrations.size();
      server.Serve(options, &registrations);
      everRegistered = everRegistered || registrations.size() > before;
      continue;
    }
    Registration& registration = registrations[owner[index]];
    HANDLE which = waits[index];
    if (which == registration.launchUi.get()) {
      if (StartClientFor(registration, options.clientPath)) {
        Say("client started for", registration.processId);
        continue;
      }
      Say("client could not be started for", registration.processId);
    } else {
      Say(which == registration.client.get() ? "client ended for" : "process ended without a report:",
          registration.processId);
    }
    registrations.erase(registrations.begin() + static_cast<std::ptrdiff_t>(owner[index]));
  }
  printf("launcher: leaving\n");
  fflush(stdout);
  return 0;
}
