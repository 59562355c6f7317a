#pragma once
#include "report_decoder.h"
#include "report_format.h"

// Writes a minidump of the live reporting process with the crash's exception
// stream: the EXCEPTION_POINTERS at the report's exceptionPointers are read from
// that process (client pointers). Only for a crash report read from the live
// mapping: a report from disk may name an id that another process now has.
report_reader::MinidumpNote WriteCrashMinidump(const report_reader::DecodedReport& report, bool live,
                                               const std::wstring& path);
