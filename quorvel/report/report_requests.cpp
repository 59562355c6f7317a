// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT CReporter::ReportCrash(EXCEPTION_POINTERS*) { return reportView ? E_NOTIMPL : kResultBlank; }
HRESULT CReporter::ReportManagedException(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*) {
  return reportView ? E_NOTIMPL : kResultBlank;
}
HRESULT CReporter::ReportUserAbort(const wchar_t*) { return reportView ? E_NOTIMPL : kResultBlank; }
HRESULT CReporter::ReportInstallFail(const wchar_t*) { return reportView ? E_NOTIMPL : kResultBlank; }
void CReporter::EndReporting() { ExitProcess(0); }
