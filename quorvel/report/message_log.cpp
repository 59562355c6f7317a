// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT CReporter::AddText(const wchar_t*, va_list) { return reportView ? E_NOTIMPL : kResultBlank; }
