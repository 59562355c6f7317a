#pragma once
// Who serves a filed report. The requesting thread (holding reporterLock) never
// starts a program: the monitor thread does, or, when there is none, a client
// runner thread started for the purpose. Requests on either of those threads must
// not wait for themselves.
#include <windows.h>

class CReporter;

// The event a running launcher keeps in existence.
constexpr wchar_t kLauncherEventName[] = L"QuorvelLauncher";
constexpr DWORD kLauncherPollMs = 60000;
constexpr DWORD kClientRunnerStackSize = 0x10000;

bool IsLauncherRunning();

// The calling thread is the running monitor thread. Known from the thread's first
// instruction on, before its starter has even stored its handle.
bool IsMonitorThread();
// Called by the monitor thread when it starts and when it ends.
void MarkMonitorThread(bool running);
// The calling thread is inside RunClient: a report is already being handed over
// here, and the process ends once it is done.
bool IsHandOffThread();
// Marks the calling thread as the one handing a report over (RunClient).
void MarkHandOffThread();

// Starts a thread that runs RunClient; null when it cannot be created.
HANDLE StartClientRunner(CReporter& reporter);
