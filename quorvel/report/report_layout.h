#pragma once
// The report file "MarluneApp%d.qvrp": the one channel from a reporting process to
// the launcher and the user-interface program, who read it through the file or the
// named mapping. Byte for byte an external format: every offset below is checked.
#include <cstddef>
#include <cstdint>

constexpr uint32_t kReportFormatVersion = 0x00010001;
constexpr uint32_t kReportHeaderSize = 9600;   // file offset of the message log area
constexpr uint32_t kFileEntrySize = 528;       // one supplementary file list entry
constexpr uint32_t kLogEntryHeadSize = 16;     // entryLength, nextOffset, timestamp

enum ReportKind : uint32_t {
  ReportKindDeadlock = 0,
  ReportKindCrash = 1,
  ReportKindManaged = 2,
  ReportKindProcessEnded = 3,
  ReportKindUserAbort = 4,
  ReportKindInstallFail = 5,
};

#pragma pack(push, 1)

struct CrashRecord {                 // kind area of ReportKindCrash
  uint32_t exceptionCode;
  uint32_t pad0;
  int64_t exceptionAddress;          // sign-extended
  uint32_t numberParameters;
  uint32_t pad1;
  uint64_t exceptionInformation[3];
  uint32_t EFlags;
  uint32_t pad2;
  uint64_t Eip, Eax, Ebx, Ecx, Edx, Esi, Edi, Ebp, Esp;
  uint64_t unusedRegisters[8];
  int64_t exceptionPointers;         // sign-extended; non-zero only during hand-off
  uint32_t threadId;
  wchar_t faultModulePath[260];
  uint32_t pad3;
  uint64_t faultModuleBase;
};

struct ManagedRecord {               // kind area of ReportKindManaged
  wchar_t managedText1[256];
  wchar_t managedText2[1024];
  wchar_t managedText3[256];
  wchar_t managedText4[1024];
};

struct ProcessEndedRecord {          // kind area of ReportKindProcessEnded
  uint32_t endedProcessId;
  wchar_t endedImagePath[260];
  uint32_t endedExitCode;
};

// The fixed head of the file; the message log area and the file list follow it.
struct ReportFile {
  uint32_t totalSize;
  uint32_t formatVersion;
  uint8_t reserved0;
  uint8_t initFlag;
  uint16_t reserved1;
  uint32_t processId;
  uint32_t parentProcessId;
  uint32_t watchedProcessIds[10];
  wchar_t fileDescription[40];
  wchar_t fileVersion[40];
  wchar_t companyName[64];
  wchar_t modulePath[260];
  wchar_t reportPath[260];
  uint8_t reserved2[1024];
  uint32_t reportKind;
  union {
    uint8_t kindArea[7168];
    CrashRecord crash;
    ManagedRecord managed;
    ProcessEndedRecord ended;
    wchar_t abortText[3072];
    wchar_t installFailText[1001];
  };
  uint32_t logOldestOffset;
  uint32_t fileListOffset;
  uint32_t fileCount;
  uint32_t reserved3;
};

struct LogEntryHead {
  uint32_t entryLength;              // 2 * characters + 20; 0 marks the end record
  uint32_t nextOffset;               // file offset of the next entry
  uint32_t timestampLow;             // FILETIME, UTC
  uint32_t timestampHigh;
};

struct FileEntry {
  uint32_t value1;
  uint32_t value2;
  wchar_t path[260];
};

#pragma pack(pop)

static_assert(offsetof(ReportFile, initFlag) == 9, "layout");
static_assert(offsetof(ReportFile, processId) == 12, "layout");
static_assert(offsetof(ReportFile, parentProcessId) == 16, "layout");
static_assert(offsetof(ReportFile, watchedProcessIds) == 20, "layout");
static_assert(offsetof(ReportFile, fileDescription) == 60, "layout");
static_assert(offsetof(ReportFile, fileVersion) == 140, "layout");
static_assert(offsetof(ReportFile, companyName) == 220, "layout");
static_assert(offsetof(ReportFile, modulePath) == 348, "layout");
static_assert(offsetof(ReportFile, reportPath) == 868, "layout");
static_assert(offsetof(ReportFile, reportKind) == 2412, "layout");
static_assert(offsetof(ReportFile, kindArea) == 2416, "layout");
static_assert(offsetof(ReportFile, logOldestOffset) == 9584, "layout");
static_assert(offsetof(ReportFile, fileListOffset) == 9588, "layout");
static_assert(offsetof(ReportFile, fileCount) == 9592, "layout");
static_assert(sizeof(ReportFile) == kReportHeaderSize, "layout");
static_assert(2416 + offsetof(CrashRecord, numberParameters) == 2432, "layout");
static_assert(2416 + offsetof(CrashRecord, EFlags) == 2464, "layout");
static_assert(2416 + offsetof(CrashRecord, Eip) == 2472, "layout");
static_assert(2416 + offsetof(CrashRecord, Esp) == 2536, "layout");
static_assert(2416 + offsetof(CrashRecord, exceptionPointers) == 2608, "layout");
static_assert(2416 + offsetof(CrashRecord, threadId) == 2616, "layout");
static_assert(2416 + offsetof(CrashRecord, faultModulePath) == 2620, "layout");
static_assert(2416 + offsetof(CrashRecord, faultModuleBase) == 3144, "layout");
static_assert(2416 + offsetof(ManagedRecord, managedText2) == 2928, "layout");
static_assert(2416 + offsetof(ManagedRecord, managedText3) == 4976, "layout");
static_assert(2416 + offsetof(ManagedRecord, managedText4) == 5488, "layout");
static_assert(2416 + offsetof(ProcessEndedRecord, endedExitCode) == 2940, "layout");
static_assert(sizeof(FileEntry) == kFileEntrySize, "layout");
