#pragma once
// Finding and copying a report: the live process's named mapping, the file in the
// report folder, or a file given by path.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace report_reader {

struct LoadedReport {
  std::vector<uint8_t> bytes;  // a copy, taken at once
  std::wstring source;         // "mapping NAME" or the file's path
  bool live = false;           // read from the reporting process's own mapping
  std::wstring outputStem;     // where readable output goes: the report's folder and name, no extension
};

// The report folder: the local application-data folder + "\Marlune\Quorvel\".
std::wstring ReportFolder();

// argument: a report file name ("MarluneApp123.qvrp"), tried as the live mapping
// first and then as the file in the report folder; or a path (it holds a
// backslash or a slash), read as that file.
bool LoadReport(const std::wstring& argument, LoadedReport* out, std::wstring* error);

}  // namespace report_reader
