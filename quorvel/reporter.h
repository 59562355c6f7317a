#pragma once
// The process-wide reporter object behind every export.
//
// Who runs what:
//  - The host's threads call the exports; each export first obtains the reporter
//    through GetOrCreateReporter(). Initialization and Quorvel_Shutdown run on one
//    host thread while nothing else runs in the library.
//  - The traps run on whichever thread raised the exception.
//  - The monitor thread (monitor/) waits on waitHandles and runs the client.
// Every write into the mapped report file happens while reporterLock is held.
#include <windows.h>

#include <cstdarg>
#include <cstdint>

#include "report/report_layout.h"

using AddContinueHandlerFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveContinueHandlerFn = ULONG(WINAPI*)(PVOID);

// Slots of the monitor thread's wait array.
enum WaitSlot : int {
  kSlotMonitorStop = 0,
  kSlotParent = 1,
  kSlotRunClient = 2,
  kSlotDeadlock = 3,
  kSlotFirstWatched = 4,
  kWaitSlotCount = 14,
};
constexpr int kMaxWatchedProcesses = 10;

#pragma pack(push, 1)
// Handed to the launcher as one block (see report/launcher_*).
struct OptionsBlock {
  uint8_t optionsGiven;
  uint8_t optionValue;
  wchar_t optionText[1024];
};
#pragma pack(pop)
static_assert(sizeof(OptionsBlock) == 2050, "options block is 2050 bytes on the wire");

// One half-open address range [low, high).
struct AddressRange {
  uint32_t low;
  uint32_t high;
};
enum SystemModule : int { kRangeRpcrt4 = 0, kRangeNtdll = 1, kRangeMsvcrt = 2, kRangeCrtMalloc = 3, kSystemModuleCount = 4 };

class CReporter {
 public:
  CReporter();
  ~CReporter();
  CReporter(const CReporter&) = delete;
  CReporter& operator=(const CReporter&) = delete;

  // Initialization sequences (initialize.cpp).
  HRESULT Initialize(DWORD initFlag);
  HRESULT InitializeNoCrash(DWORD initFlag, const wchar_t* folder);

  // Report file (report/report_file.cpp, report/report_image.cpp).
  HRESULT CreateReportFile(DWORD initFlag);
  void CloseReportFile(bool deleteFile);
  uint8_t* BuildReportImage(DWORD initFlag);
  BOOL LoadSystemModuleRanges();

  // Message log and supplementary files (report/message_log.cpp, report/file_list.cpp).
  HRESULT AddText(const wchar_t* format, va_list args);
  HRESULT AddFile(const wchar_t* path, DWORD value1, DWORD value2);
  HRESULT RemoveFile(const wchar_t* path);

  // Report requests (report/report_requests.cpp).
  HRESULT ReportCrash(EXCEPTION_POINTERS* pointers);
  HRESULT ReportManagedException(const wchar_t* text1, const wchar_t* text2, const wchar_t* text3,
                                 const wchar_t* text4);
  HRESULT ReportUserAbort(const wchar_t* text);
  HRESULT ReportInstallFail(const wchar_t* text);
  [[noreturn]] void EndReporting();

  // Launcher hand-off (report/launcher_*.cpp).
  HRESULT ConnectLauncher();
  HRESULT SendLaunchRequest();
  HRESULT GetOptionsBlock(void* buffer, DWORD* sizeInOut);
  HRESULT RequestReport();
  HRESULT RunClient();

  // Monitor thread and watched processes (monitor/).
  HRESULT CreateDeadlockEvent(DWORD initFlag);
  HRESULT WatchParentProcess(DWORD initFlag);
  HRESULT StartMonitorThread();
  void StopMonitorThread();
  static DWORD WINAPI MonitorThreadProc(void* reporter);
  HRESULT StartMonitoringProcess(DWORD processId);
  HRESULT StopMonitoringProcess(DWORD processId);
  void RemoveWatchedProcess(int slot);
  void OnWatchedProcessEnded(int slot);
  void OnDeadlockRequest();
  void OnParentGone();

  // Traps (traps/).
  void InstallTraps();
  void RemoveTraps();

  // Fields, in this order; the names are used throughout the library.
  ReportFile* reportView = nullptr;
  HANDLE reportFileHandle = INVALID_HANDLE_VALUE;
  HANDLE reportMapping = nullptr;
  wchar_t reportPath[260] = {};
  wchar_t reportName[260] = {};
  wchar_t clientExePath[260] = {};
  uint32_t fileCapacity = 50;
  uint32_t logOffset = 0;
  uint32_t logSize = 65536;
  uint32_t logOldest = 0;
  uint32_t logNewest = 0;
  CRITICAL_SECTION reporterLock;
  HANDLE waitHandles[kWaitSlotCount] = {};
  int32_t watchedCount = 0;
  HANDLE monitorThread = nullptr;
  HANDLE clientDoneEvent = nullptr;
  HANDLE deadlockEvent = nullptr;
  HANDLE deadlockPlaceholderEvent = nullptr;
  HANDLE parentProcess = nullptr;
  HANDLE parentPlaceholderEvent = nullptr;
  HANDLE launchUiEvent = nullptr;
  bool trapsInstalled = false;
  PVOID frontstopHandle = nullptr;
  PVOID backstopHandle = nullptr;
  LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
  AddressRange systemModuleRanges[kSystemModuleCount] = {};
  OptionsBlock optionsBlock;
};

// The single reporter, created on first use; null until then and after shutdown.
extern CReporter* volatile reporterInstance;
extern AddContinueHandlerFn addContinueHandler;
extern RemoveContinueHandlerFn removeContinueHandler;

// Returns the reporter, constructing it when there is none. Two threads that make
// their first call at once get the same object. Null only when it cannot be
// allocated.
CReporter* GetOrCreateReporter();
