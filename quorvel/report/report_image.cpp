// The initial contents of the report file, built in ordinary memory before the
// file is written and mapped.
#include <new>

#include "common/debug_output.h"
#include "config/config.h"
#include "report/parent_process.h"
#include "report/version_info.h"
#include "reporter.h"

namespace {

// The two sizes come straight from the configuration and size the whole file.
// Bounding them keeps the size computation and every offset inside 32 bits and the
// image a sane allocation: 16 MB of log and 10000 list entries are far beyond any
// real use.
constexpr int32_t kMaxMessageLogKilobytes = 16384;
constexpr int32_t kMaxSupplementFiles = 10000;

uint32_t BoundedSetting(const wchar_t* name, int32_t value, int32_t maximum) {
  if (value >= 0 && value <= maximum) return static_cast<uint32_t>(value);
  int32_t used = value < 0 ? 0 : maximum;
  DebugPrintf(L"Quorvel: %s %d is out of range, %d is used\n", name, value, used);
  return static_cast<uint32_t>(used);
}

}  // namespace

uint8_t* CReporter::BuildReportImage(DWORD initFlag) {
  fileCapacity = BoundedSetting(L"supplementfileSize", runtimeConfig.supplementfileSize, kMaxSupplementFiles);
  logSize = BoundedSetting(L"messagelogSize", runtimeConfig.messagelogSize, kMaxMessageLogKilobytes) * 1024;
  const uint32_t size = kReportHeaderSize + logSize + fileCapacity * kFileEntrySize;
  uint8_t* image = new (std::nothrow) uint8_t[size]();
  if (image == nullptr) return nullptr;

  ReportFile* head = reinterpret_cast<ReportFile*>(image);
  head->totalSize = size;
  logOffset = kReportHeaderSize;
  logOldest = 0;
  logNewest = 0;
  head->logOldestOffset = kReportHeaderSize;
  head->fileListOffset = kReportHeaderSize + logSize;
  head->formatVersion = kReportFormatVersion;
  head->initFlag = static_cast<uint8_t>(initFlag & 0xFF);
  GetModuleFileNameW(nullptr, head->modulePath, 260);
  head->modulePath[259] = L'\0';  // older systems leave a cut path unterminated
  ReadVersionInfo(head);
  FindParentProcess(head, initFlag);
  return image;
}
