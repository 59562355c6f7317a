// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT CReporter::AddFile(const wchar_t*, DWORD, DWORD) { return reportView ? E_NOTIMPL : kResultBlank; }
HRESULT CReporter::RemoveFile(const wchar_t*) { return reportView ? E_NOTIMPL : kResultBlank; }
