#pragma once
// Decoding a report file's bytes. The bytes come from another process or from
// disk and may be damaged: every offset is checked, the message log chain is
// followed at most as many steps as the area can hold, and what does not add up
// is listed in `problems` instead of being trusted.
#include <cstdint>
#include <string>
#include <vector>

#include "report/report_layout.h"

namespace report_reader {

struct LogLine {
  uint32_t offset = 0;   // file offset of the entry
  uint64_t time = 0;     // FILETIME, UTC
  std::wstring text;
};

struct ListedFile {
  uint32_t value1 = 0;
  uint32_t value2 = 0;
  std::wstring path;
};

struct DecodedReport {
  ReportFile head = {};              // the fixed head, copied
  std::vector<LogLine> log;          // oldest first
  std::vector<ListedFile> files;     // oldest first
  std::vector<std::wstring> problems;
};

// False (with the reason) only when the bytes cannot hold a report head at all.
bool DecodeReport(const std::vector<uint8_t>& bytes, DecodedReport* out, std::wstring* error);

// A text field, up to its null or its capacity.
std::wstring FieldText(const wchar_t* field, size_t capacity);

// "deadlock", "crash", ... ; "unknown" beyond the six kinds.
const wchar_t* KindName(uint32_t kind);

}  // namespace report_reader
