// QuorvelClient.exe REPORTNAME
// The reference user-interface program: reads the report (the live process's
// mapping, else the file in the report folder) and writes it beside the report
// file as text (.txt) and JSON (.json); for a crash of a live process also a
// minidump (.dmp). With the environment variable QUORVEL_CLIENT_RECORD naming a
// file, it first appends its own command line there (one UTF-8 line), so tests
// can see how it was started.
#include <windows.h>

#include <cstdio>
#include <string>

#include "minidump.h"
#include "report_decoder.h"
#include "report_format.h"
#include "report_source.h"

namespace {

void AppendToFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void RecordCommandLine() {
  wchar_t path[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"QUORVEL_CLIENT_RECORD", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  AppendToFile(path, report_reader::Utf8(GetCommandLineW()) + "\n");
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  RecordCommandLine();
  if (argc != 2) {
    fprintf(stderr, "usage: QuorvelClient MarluneAppNNN.qvrp\n");
    return 2;
  }
  report_reader::LoadedReport loaded;
  report_reader::DecodedReport report;
  std::wstring error;
  if (!report_reader::LoadReport(argv[1], &loaded, &error) || !report_reader::DecodeReport(loaded.bytes, &report, &error)) {
    fprintf(stderr, "QuorvelClient: %s\n", report_reader::Utf8(error).c_str());
    return 3;
  }
  report_reader::MinidumpNote dump = WriteCrashMinidump(report, loaded.live, loaded.outputStem + L".dmp");
  bool ok = WriteWhole(loaded.outputStem + L".txt", report_reader::FormatText(report, loaded.source, dump));
  ok = WriteWhole(loaded.outputStem + L".json", report_reader::FormatJson(report, loaded.source, dump)) && ok;
  return ok ? 0 : 4;
}
