// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

uint8_t* CReporter::BuildReportImage(DWORD) { return nullptr; }
BOOL CReporter::LoadSystemModuleRanges() { return FALSE; }
