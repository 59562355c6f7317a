#include "report_reader.h"

#include <cwchar>

#include "config/fixtures.h"
#include "quorvel.h"
#include "test_support.h"

using testing_support::U32At;
using testing_support::U64At;
using testing_support::WideAt;

std::vector<uint8_t> ReadMapping(DWORD processId) {
  std::vector<uint8_t> bytes;
  std::wstring name = L"MarluneApp" + std::to_wstring(processId) + L".qvrp";
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (mapping == nullptr) return bytes;
  if (const uint8_t* view = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
    uint32_t total = 0;
    memcpy(&total, view, 4);
    bytes.assign(view, view + total);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return bytes;
}

bool AllZero(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  if (to > bytes.size()) return false;
  for (size_t i = from; i < to; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

bool ReadLog(const std::vector<uint8_t>& file, std::vector<LogEntry>* entries, std::string* error) {
  entries->clear();
  const uint32_t areaEnd = U32At(file, at::kFileListOffset);
  if (areaEnd > file.size() || areaEnd < at::kLogArea) {
    *error = "file list offset outside the file";
    return false;
  }
  // Without a log area the list begins where the log would: nothing to read.
  if (areaEnd == at::kLogArea) return true;
  uint32_t offset = U32At(file, at::kLogOldestOffset);
  const size_t limit = (areaEnd - at::kLogArea) / 20 + 2;
  for (size_t count = 0; count < limit; ++count) {
    if (offset < at::kLogArea || offset + 8 > areaEnd) {
      *error = "entry at " + std::to_string(offset) + " outside the log area";
      return false;
    }
    LogEntry entry;
    entry.offset = offset;
    entry.length = U32At(file, offset);
    entry.next = U32At(file, offset + 4);
    if (entry.length == 0) {
      if (entry.next != 0) *error = "end record with a next offset";
      return entry.next == 0;
    }
    if (entry.length < 20 || offset + entry.length + 8 > areaEnd) {
      *error = "entry at " + std::to_string(offset) + " runs past the log area";
      return false;
    }
    entry.time = U64At(file, offset + 8);
    entry.text = WideAt(file, offset + 16, (entry.length - 16) / 2);
    if (2 * entry.text.size() + 20 != entry.length) {
      *error = "entry at " + std::to_string(offset) + " has length " + std::to_string(entry.length) + " for " +
               std::to_string(entry.text.size()) + " characters";
      return false;
    }
    entries->push_back(entry);
    offset = entry.next;
  }
  *error = "the chain does not end";
  return false;
}

std::vector<std::wstring> Texts(const std::vector<LogEntry>& entries) {
  std::vector<std::wstring> texts;
  for (const LogEntry& e : entries) texts.push_back(e.text);
  return texts;
}

LiveReport::LiveReport(const std::string& runtimeSettings) {
  EnsureReportFolder();
  host_.PutConfig(ConfigWithRuntime("<enabled>true</enabled>" + runtimeSettings));
  host_.PutClient();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  initResult_ = Quorvel_InitializeNoCrash(0, host_.HostDir().c_str());
}

LiveReport::~LiveReport() {
  Quorvel_Shutdown();
  CoUninitialize();
}

uint64_t NowUtc() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}
