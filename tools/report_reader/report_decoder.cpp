#include "report_decoder.h"

#include <cstring>

namespace report_reader {
namespace {

uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t value = 0;
  memcpy(&value, bytes.data() + offset, sizeof(value));
  return value;
}

// Text of `chars` characters at most, starting at a byte offset known to be in range.
std::wstring TextAt(const std::vector<uint8_t>& bytes, size_t offset, size_t chars) {
  std::wstring text;
  for (size_t i = 0; i < chars; ++i) {
    wchar_t c = static_cast<wchar_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
    if (c == L'\0') break;
    text.push_back(c);
  }
  return text;
}

// Follows the chain from logOldestOffset to the end record inside [start, end).
void DecodeLog(const std::vector<uint8_t>& bytes, uint32_t start, uint32_t end, DecodedReport* out) {
  if (start == end) return;  // a log of size 0
  uint32_t offset = out->head.logOldestOffset;
  const size_t maxSteps = (end - start) / kLogEntryHeadSize + 1;
  for (size_t step = 0; step <= maxSteps; ++step) {
    if (offset < start || offset > end || end - offset < 8) {
      out->problems.push_back(L"message log chain leaves the log area at offset " + std::to_wstring(offset));
      return;
    }
    const uint32_t length = U32(bytes, offset);
    if (length == 0) return;  // the end record
    if (length < kLogEntryHeadSize + 4 || length > end - offset) {
      out->problems.push_back(L"message log entry at offset " + std::to_wstring(offset) + L" has a bad length");
      return;
    }
    LogLine line;
    line.offset = offset;
    line.time = U32(bytes, offset + 8) | (static_cast<uint64_t>(U32(bytes, offset + 12)) << 32);
    line.text = TextAt(bytes, offset + kLogEntryHeadSize, (length - kLogEntryHeadSize) / 2);
    out->log.push_back(line);
    offset = U32(bytes, offset + 4);
  }
  out->problems.push_back(L"message log chain does not end");
}

void DecodeFileList(const std::vector<uint8_t>& bytes, uint32_t listOffset, uint32_t end, DecodedReport* out) {
  const uint32_t capacity = (end - listOffset) / kFileEntrySize;
  uint32_t count = out->head.fileCount;
  if (count > capacity) {
    out->problems.push_back(L"file count " + std::to_wstring(count) + L" exceeds the list's room for " +
                            std::to_wstring(capacity));
    count = capacity;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = listOffset + static_cast<size_t>(i) * kFileEntrySize;
    ListedFile file;
    file.value1 = U32(bytes, at);
    file.value2 = U32(bytes, at + 4);
    file.path = TextAt(bytes, at + 8, 260);
    out->files.push_back(file);
  }
}

}  // namespace

std::wstring FieldText(const wchar_t* field, size_t capacity) {
  size_t n = 0;
  while (n < capacity && field[n] != L'\0') ++n;
  return std::wstring(field, n);
}

const wchar_t* KindName(uint32_t kind) {
  static const wchar_t* const names[] = {L"deadlock", L"crash", L"managed exception",
                                         L"process ended", L"user abort", L"install failure"};
  return kind < 6 ? names[kind] : L"unknown";
}

bool DecodeReport(const std::vector<uint8_t>& bytes, DecodedReport* out, std::wstring* error) {
  *out = DecodedReport();
  if (bytes.size() < sizeof(ReportFile)) {
    *error = L"only " + std::to_wstring(bytes.size()) + L" bytes: not a report file";
    return false;
  }
  memcpy(&out->head, bytes.data(), sizeof(ReportFile));
  const ReportFile& head = out->head;
  if (head.formatVersion != kReportFormatVersion) {
    out->problems.push_back(L"unknown format version " + std::to_wstring(head.formatVersion));
  }
  uint32_t end = head.totalSize;
  if (end > bytes.size()) {
    out->problems.push_back(L"file is shorter than its total size " + std::to_wstring(end));
    end = static_cast<uint32_t>(bytes.size());
  }
  if (head.fileListOffset < kReportHeaderSize || head.fileListOffset > end) {
    out->problems.push_back(L"file list offset " + std::to_wstring(head.fileListOffset) + L" lies outside the file");
    return true;
  }
  DecodeLog(bytes, kReportHeaderSize, head.fileListOffset, out);
  DecodeFileList(bytes, head.fileListOffset, end, out);
  return true;
}

}  // namespace report_reader
