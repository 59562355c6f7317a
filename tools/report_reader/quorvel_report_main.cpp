// quorvel_report [--json] REPORT
// Prints a report as text (or JSON). REPORT is a report file name such as
// "MarluneApp123.qvrp" (the live process's mapping if it still runs, else the
// file in the report folder) or the path of a report file.
#include <windows.h>

#include <cstdio>
#include <string>

#include "report_decoder.h"
#include "report_format.h"
#include "report_source.h"

int wmain(int argc, wchar_t** argv) {
  bool json = false;
  std::wstring name;
  for (int i = 1; i < argc; ++i) {
    std::wstring argument = argv[i];
    if (argument == L"--json") {
      json = true;
    } else {
      name = argument;
    }
  }
  if (name.empty()) {
    fprintf(stderr, "usage: quorvel_report [--json] MarluneAppNNN.qvrp | PATH\n");
    return 2;
  }
  report_reader::LoadedReport loaded;
  std::wstring error;
  report_reader::DecodedReport report;
  if (!report_reader::LoadReport(name, &loaded, &error) || !report_reader::DecodeReport(loaded.bytes, &report, &error)) {
    fprintf(stderr, "quorvel_report: %s\n", report_reader::Utf8(error).c_str());
    return 3;
  }
  const report_reader::MinidumpNote noDump;
  std::string out = json ? report_reader::FormatJson(report, loaded.source, noDump)
                         : report_reader::FormatText(report, loaded.source, noDump);
  fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
