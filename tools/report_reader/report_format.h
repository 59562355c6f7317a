#pragma once
// A decoded report as text for people and as JSON for programs (UTF-8 both).
#include <windows.h>

#include <string>

#include "report_decoder.h"

namespace report_reader {

// What the user-interface program adds about the minidump it tried to write.
struct MinidumpNote {
  bool attempted = false;
  bool written = false;
  DWORD error = 0;
  std::wstring path;
  std::wstring reason;  // why none was attempted, when that is worth saying
};

std::string FormatText(const DecodedReport& report, const std::wstring& source, const MinidumpNote& dump);
std::string FormatJson(const DecodedReport& report, const std::wstring& source, const MinidumpNote& dump);

std::string Utf8(const std::wstring& text);

}  // namespace report_reader
