// The road through the launcher, with the real QuorvelLauncher.exe: registration
// over its pipe, its refusals and misbehaviour, and the hand-off through
// "LaunchUI<pid>.qvrp". The launcher's names are global, so these tests run one at
// a time (CTest resource lock "launcher").
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

#include "pipeline_folder.h"

using namespace testing_support;

namespace {

const char kWithLauncher[] = "<enabled>true</enabled>";

std::wstring LaunchUiName(DWORD processId) { return L"LaunchUI" + std::to_wstring(processId) + L".qvrp"; }

// A launcher started by the test from the host folder (or, elsewhere, from the
// build's own folder), ready when its event exists.
// A launcher left by an earlier test (one that a host started itself, which stays
// up to 30 s) or the pipe of one just ended would make the new one refuse to run:
// such leftovers are ended, and the pipe's name given time to go, first.
void EndLeftoverLaunchers() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
      if (_wcsicmp(entry.szExeFile, L"QuorvelLauncher.exe") != 0) continue;
      if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
        EndIfRunning(process);
        CloseHandle(process);
      }
    }
    CloseHandle(snapshot);
  }
  for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
    if (!WaitNamedPipeW(L"\\\\.\\pipe\\LaunchServerPipe", 1) && GetLastError() == ERROR_FILE_NOT_FOUND) break;
  }
}

bool StartLauncher(LiveChild& launcher, const PipelineFolder& folder, const std::wstring& switches,
                   bool elsewhere = false) {
  EndLeftoverLaunchers();
  folder.PutLauncher();
  const std::wstring program = elsewhere ? BuiltFile(L"QuorvelLauncher.exe") : folder.Dir() + L"\\QuorvelLauncher.exe";
  if (!launcher.Start(program, switches, folder.Dir())) return false;
  return launcher.WaitForOutput("launcher: ready", 10000) || WaitForNamedEvent(L"QuorvelLauncher", 1);
}

// Waits until the host's "LaunchUI" event is set: the report went to the launcher.
bool LaunchUiSet(DWORD hostId, DWORD timeoutMs) {
  if (!WaitForNamedEvent(LaunchUiName(hostId), timeoutMs)) return false;
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, LaunchUiName(hostId).c_str());
  bool set = event != nullptr && WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
  if (event) CloseHandle(event);
  return set;
}

// Milliseconds from the host's start to the output line `text`.
DWORD TimeUntil(const LiveChild& host, const std::string& text, DWORD start, DWORD timeoutMs) {
  return host.WaitForOutput(text, timeoutMs) ? GetTickCount() - start : 0xFFFFFFFF;
}

TEST(Launcher, RegistrationBytesAsSent) {
  struct Case {
    const char* name;
    const wchar_t* init;
    size_t size;
  } cases[] = {
      {"without options", L"init:0", 4},
      {"with options", L"initopt:0:0x107:hello", 4 + 5 + 2050 + 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineFolder folder(false, kWithLauncher);
    const std::wstring record = folder.Dir() + L"\\received.bin";
    LiveChild launcher;
    ASSERT_TRUE(StartLauncher(launcher, folder, L"--stay=30000 --record=\"" + record + L"\"")) << launcher.Output();
    LiveChild host;
    ASSERT_TRUE(folder.Start(host, std::wstring(L"coinit ") + c.init + L" shutdown"));
    ASSERT_TRUE(host.WaitForExit(20000)) << host.Output();
    EXPECT_EQ(0ul, host.Value(Narrow(c.init))) << host.Output();
    std::vector<uint8_t> bytes = ReadFileBytes(record);
    ASSERT_EQ(c.size, bytes.size());
    EXPECT_EQ(host.Id(), U32At(bytes, 0));
    if (c.size == 4) continue;
    EXPECT_EQ(1u, bytes[4]) << "an options block follows";
    EXPECT_EQ(2050u, U32At(bytes, 5));
    EXPECT_EQ(1u, bytes[9]) << "optionsGiven";
    EXPECT_EQ(7u, bytes[10]) << "the low byte of the option value";
    EXPECT_EQ(L"hello", WideAt(bytes, 11, 1024));
    EXPECT_EQ(0xFFu, bytes[2059]) << "end";
    EXPECT_EQ(0u, U32At(bytes, 2060));
    EXPECT_TRUE(launcher.WaitForOutput("process ended without a report", 5000)) << launcher.Output();
  }
}

// Answers that keep the launcher in use or switch it off: in use, the report sets
// "LaunchUI<pid>.qvrp"; off, it goes to the client at once and the host ends.
TEST(Launcher, AnswersDecideWhetherTheLauncherIsUsed) {
  struct Case {
    const char* name;
    const wchar_t* switches;
    const wchar_t* init;
    bool used;
    bool elsewhere = false;
  } cases[] = {
      {"negative except at the end message", L"--negative=4,6", L"initopt:0:1:x", true},
      {"negative at the end message", L"--negative=8", L"initopt:0:1:x", false},
      {"process id refused", L"--refuse", L"init:0", false},
      {"closes the pipe instead of answering the id", L"--close-at=2", L"init:0", false},
      {"closes the pipe in the middle of the options", L"--close-at=6", L"initopt:0:1:x", false},
      {"answers the id with 2 bytes", L"--short-at=2", L"init:0", false},
      {"stops answering at the id", L"--silent-at=2", L"init:0", false},
      {"stops answering at the end message", L"--silent-at=8", L"initopt:0:1:x", false},
      {"a launcher of another installation refuses", L"", L"init:0", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineFolder folder(false, kWithLauncher);
    LiveChild launcher;
    ASSERT_TRUE(StartLauncher(launcher, folder, std::wstring(L"--stay=40000 ") + c.switches, c.elsewhere))
        << launcher.Output();
    LiveChild host;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(folder.Start(host, std::wstring(L"coinit ") + c.init + L" abort:handed sleep:90000 exit:5"));
    const DWORD initMs = TimeUntil(host, Narrow(c.init) + " 0x", start, 20000);
    ASSERT_LT(initMs, 15000u) << "initialization hung:\n" << host.Output();
    printf("%s: initialization took %lu ms\n", c.name, static_cast<unsigned long>(initMs));
    EXPECT_EQ(0ul, host.Value(Narrow(c.init))) << "initialization succeeds whatever the launcher does";
    if (c.used) {
      EXPECT_TRUE(LaunchUiSet(host.Id(), 10000)) << host.Output() << launcher.Output();
      // Also lets the launcher finish starting its client before it is ended: under
      // Wine a program whose starter dies while starting it never runs.
      EXPECT_TRUE(launcher.WaitForOutput("client ended for", 15000)) << launcher.Output();
      EXPECT_FALSE(host.WaitForExit(0)) << "the host waits for the launcher to go";
      continue;
    }
    DWORD exitCode = 0xFFFFFFFF;
    ASSERT_TRUE(host.WaitForExit(15000, &exitCode)) << host.Output();
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(1u, folder.ClientCommandLines().size()) << "the report went to the client directly";
  }
}

// The test as a client that reads each answer a little late: the launcher must not
// drop the connection, and with it the unread answer, once it has answered the end
// message. The library's answer to whether the launcher is used hangs on that last
// status.
TEST(Launcher, LastAnswerWaitsForASlowReader) {
  PipelineFolder folder(false, kWithLauncher);
  LiveChild launcher;
  // The launcher runs from the folder of this test program, so that it serves this
  // program and refuses the hosts of other tests running at the same time, which
  // may still take its pipe for a moment: the connection is retried like the
  // library's own.
  ASSERT_TRUE(StartLauncher(launcher, folder, L"--stay=20000 --negative=4,6", true)) << launcher.Output();
  HANDLE launchUi = CreateEventW(nullptr, TRUE, FALSE, LaunchUiName(GetCurrentProcessId()).c_str());
  ASSERT_NE(nullptr, launchUi);
  HANDLE pipe = INVALID_HANDLE_VALUE;
  for (DWORD start = GetTickCount(); pipe == INVALID_HANDLE_VALUE && GetTickCount() - start < 15000;) {
    if (!WaitNamedPipeW(L"\\\\.\\pipe\\LaunchServerPipe", 1000)) {
      Sleep(50);
      continue;
    }
    pipe = CreateFileW(L"\\\\.\\pipe\\LaunchServerPipe", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       0, nullptr);
  }
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe) << launcher.Output();

  std::vector<uint8_t> options(2050, 0);
  options[0] = 1;
  const DWORD processId = GetCurrentProcessId();
  const uint8_t optionsHeader[5] = {1, 0x02, 0x08, 0, 0};  // type 1, length 2050
  const uint8_t endHeader[5] = {0xFF, 0, 0, 0, 0};
  struct Message {
    const char* name;
    const void* data;
    DWORD size;
    LONG expected;
  } messages[] = {
      {"process id", &processId, 4, S_OK},
      {"options header", optionsHeader, 5, E_ACCESSDENIED},
      {"options block", options.data(), 2050, E_ACCESSDENIED},
      {"end", endHeader, 5, S_OK},
  };
  for (const Message& m : messages) {
    SCOPED_TRACE(m.name);
    DWORD moved = 0;
    ASSERT_TRUE(WriteFile(pipe, m.data, m.size, &moved, nullptr));
    ASSERT_EQ(m.size, moved);
    Sleep(300);
    LONG status = E_FAIL;
    ASSERT_TRUE(ReadFile(pipe, &status, 4, &moved, nullptr)) << "error " << GetLastError() << "\n"
                                                             << launcher.Output();
    ASSERT_EQ(4u, moved);
    EXPECT_EQ(m.expected, status);
  }
  CloseHandle(pipe);
  CloseHandle(launchUi);
  EXPECT_TRUE(launcher.WaitForOutput("registered process " + std::to_string(processId), 5000)) << launcher.Output();
}

// No launcher to use at report time: the report goes to the client directly.
TEST(Launcher, UnusableLauncherSendsTheReportToTheClient) {
  struct Case {
    const char* name;
    const wchar_t* switches;  // null: no launcher at all
    const wchar_t* beforeReport;
    DWORD minInitMs;
    DWORD maxInitMs;
  } cases[] = {
      {"no launcher program beside the host", nullptr, L"", 0, 5000},
      {"launcher gone at report time", L"--stay=3000", L"sleep:5000 ", 0, 5000},
      {"pipe never created: 100 attempts", L"--no-pipe --stay=40000", L"", 9000, 25000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineFolder folder(false, kWithLauncher);
    LiveChild launcher;
    if (c.switches) {
      ASSERT_TRUE(StartLauncher(launcher, folder, c.switches)) << launcher.Output();
    }
    LiveChild host;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(folder.Start(host, std::wstring(L"coinit init:0 ") + c.beforeReport + L"abort:direct sleep:60000 exit:5"));
    const DWORD initMs = TimeUntil(host, "init:0 0x", start, 30000);
    printf("%s: initialization took %lu ms\n", c.name, static_cast<unsigned long>(initMs));
    EXPECT_GE(initMs, c.minInitMs);
    EXPECT_LE(initMs, c.maxInitMs);
    EXPECT_EQ(0ul, host.Value("init:0"));
    DWORD exitCode = 0xFFFFFFFF;
    ASSERT_TRUE(host.WaitForExit(20000, &exitCode)) << host.Output();
    EXPECT_EQ(0u, exitCode);
    std::vector<std::string> commands = folder.ClientCommandLines();
    ASSERT_EQ(1u, commands.size());
    EXPECT_NE(std::string::npos, commands[0].find(Narrow(ReportName(host.Id()))));
  }
}

DWORD ChildNamed(DWORD parentId, const wchar_t* exeName) {
  DWORD found = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parentId && _wcsicmp(entry.szExeFile, exeName) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

// Slow by design: after signalling the launcher, a reporting process lives at
// least 60 s and until the launcher's event has gone.
TEST(Launcher, StartedByTheLibraryItPresentsTheReportAndTheProcessWaitsForIt) {
  PipelineFolder folder(false, kWithLauncher);
  folder.PutLauncher();
  LiveChild host;
  ASSERT_TRUE(folder.Start(host, L"coinit init:0 abort:presented sleep:1 exit:5"));
  ASSERT_TRUE(host.WaitForOutput("init:0 0x", 15000));
  EXPECT_EQ(0ul, host.Value("init:0"));
  const DWORD launcherId = ChildNamed(host.Id(), L"QuorvelLauncher.exe");
  ASSERT_NE(0u, launcherId) << "the library starts the launcher when none runs";
  HANDLE launcher = host.Adopt(launcherId);
  ASSERT_TRUE(LaunchUiSet(host.Id(), 10000));
  const DWORD signalled = GetTickCount();

  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(launcher, 30000)) << "the launcher leaves once its client has ended";
  std::vector<std::string> commands = folder.ClientCommandLines();
  ASSERT_EQ(1u, commands.size());
  EXPECT_EQ("\"" + Narrow(folder.Dir() + L"\\QuorvelClient.exe") + "\" " + Narrow(ReportName(host.Id())), commands[0]);
  EXPECT_FALSE(host.WaitForExit(0)) << "still waiting for the next look at the launcher";

  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(host.WaitForExit(90000, &exitCode));
  const DWORD lived = GetTickCount() - signalled;
  printf("the host lived %lu ms after signalling the launcher\n", static_cast<unsigned long>(lived));
  EXPECT_GE(lived, 59000u);
  EXPECT_LE(lived, 75000u);
  EXPECT_EQ(0u, exitCode);
  EXPECT_EQ(4u, U32At(ReadFileBytes(ReportPath(host.Id())), 2412));
  EXPECT_FALSE(ReadFileBytes(ClientOutput(host.Id(), L".txt")).empty()) << "the client read the live report";
}

}  // namespace
