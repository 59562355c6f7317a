#pragma once
// Reading report files the way the companion programs do: through the named
// mapping of a live process or the file, at the literal offsets of the format.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exports/host_folder.h"

// Offsets of the header fields, in bytes from the start of the file.
namespace at {
constexpr size_t kTotalSize = 0;
constexpr size_t kFormatVersion = 4;
constexpr size_t kInitFlag = 9;
constexpr size_t kProcessId = 12;
constexpr size_t kParentProcessId = 16;
constexpr size_t kFileDescription = 60;
constexpr size_t kFileVersion = 140;
constexpr size_t kCompanyName = 220;
constexpr size_t kModulePath = 348;
constexpr size_t kReportPath = 868;
constexpr size_t kReportKind = 2412;
constexpr size_t kLogOldestOffset = 9584;
constexpr size_t kFileListOffset = 9588;
constexpr size_t kFileCount = 9592;
constexpr size_t kLogArea = 9600;
constexpr size_t kFileEntrySize = 528;
}  // namespace at

// The whole file of a live process, copied out of its named mapping
// "MarluneApp<id>.qvrp"; empty when there is none.
std::vector<uint8_t> ReadMapping(DWORD processId);

// Whether every byte in [from, to) is zero.
bool AllZero(const std::vector<uint8_t>& bytes, size_t from, size_t to);

struct LogEntry {
  uint32_t offset = 0;  // file offset
  uint32_t length = 0;
  uint32_t next = 0;
  uint64_t time = 0;  // FILETIME
  std::wstring text;
};

// Follows the log from logOldestOffset to its end record. Returns false, with the
// reason in *error, when the chain leaves the log area, an entry's length does not
// match its text, or the chain does not end.
bool ReadLog(const std::vector<uint8_t>& file, std::vector<LogEntry>* entries, std::string* error);
std::vector<std::wstring> Texts(const std::vector<LogEntry>& entries);

// The reporter of this very process, initialized through the exports
// (Quorvel_InitializeNoCrash on a host folder with the given runtime settings), shut
// down at destruction.
class LiveReport {
 public:
  explicit LiveReport(const std::string& runtimeSettings);
  ~LiveReport();
  LiveReport(const LiveReport&) = delete;
  LiveReport& operator=(const LiveReport&) = delete;
  HRESULT initResult() const { return initResult_; }
  std::vector<uint8_t> Bytes() const { return ReadMapping(GetCurrentProcessId()); }

 private:
  HostFolder host_;
  HRESULT initResult_;
};

// The current time as a FILETIME in one number.
uint64_t NowUtc();
