#pragma once
// The report archive: the product's packing program (component "VrelReport", file
// "HvReport.exe") packs the report staging folder into
// installation folder + "Data\VrelReport\Report.zip".
#include <windows.h>

#include <string>

std::wstring ReportArchivePath();

// Starts the packing program and waits up to waitMs for it to end. True only when it
// ended within the limit; its exit code and the archive are not examined. Without a
// known program path nothing is started and the archive does not count as made.
bool MakeReportArchive(DWORD waitMs);
