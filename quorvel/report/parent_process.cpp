#include "report/parent_process.h"

#include <tlhelp32.h>

#include "common/hresult.h"
#include "common/unique_handle.h"

HRESULT FindParentProcess(ReportFile* image, DWORD initFlag) {
  const DWORD self = GetCurrentProcessId();
  image->processId = self;
  if ((initFlag & 0xFF) != 0) return S_OK;

  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return HResultFromLastError();
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self) {
      image->parentProcessId = entry.th32ParentProcessID;
      return S_OK;
    }
  }
  return E_FAIL;
}
