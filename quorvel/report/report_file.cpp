// Placeholder until this part of the reporter is built.
#include "common/hresult.h"
#include "reporter.h"

HRESULT GetReportFolder(wchar_t* buffer, size_t capacity) {
  if (buffer && capacity) buffer[0] = L'\0';
  return E_NOTIMPL;
}
HRESULT CReporter::CreateReportFile(DWORD) { return E_NOTIMPL; }
void CReporter::CloseReportFile(bool) {}
