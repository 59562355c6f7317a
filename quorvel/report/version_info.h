#pragma once
#include <windows.h>

#include "report/report_layout.h"

// Fills fileDescription, fileVersion and companyName from the host executable's
// version resource, through its first translation. A host without a resource gets
// "Unknown", "Unknown" and "Unknown Company"; a string the resource lacks stays
// empty. Returns 0 when the company name was found; the caller ignores the result.
HRESULT ReadVersionInfo(ReportFile* image);
