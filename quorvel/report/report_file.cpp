// Creating and closing the report file. The whole file is built in memory, written
// once and then mapped under its own name, so that a reader never sees a file
// shorter than its totalSize and filing a report later needs no file operation.
#include <new>

#include "common/debug_output.h"
#include "common/hresult.h"
#include "common/text.h"
#include "config/config.h"
#include "report/report_folder.h"
#include "reporter.h"

namespace {
// A failed call that left no error code must not read as success.
HRESULT FailureFromError(DWORD error) { return error == 0 ? E_FAIL : HResultFromWin32(static_cast<LONG>(error)); }
}  // namespace

HRESULT CReporter::CreateReportFile(DWORD initFlag) {
  if (reportView != nullptr) return kResultAlreadyInitialized;

  wchar_t folder[kReportPathCapacity];
  HRESULT hr = GetReportFolder(folder, kReportPathCapacity);
  if (FAILED(hr)) return hr;
  hr = MakeReportPath(folder, GetCurrentProcessId(), reportPath, reportName);
  if (FAILED(hr)) {
    DebugPrintf(L"Quorvel: report path under %s does not fit\n", folder);
    return hr;
  }
  CreateDirectoryW(folder, nullptr);  // only the last level; "Marlune" is the installer's

  reportFileHandle = CreateFileW(reportPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (reportFileHandle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    DebugPrintf(L"Quorvel: CreateFileW(%s) failed: %lu\n", reportPath, error);
    // The file at that path is not ours (another program holds it): shutdown must
    // not delete it.
    reportPath[0] = L'\0';
    reportName[0] = L'\0';
    return FailureFromError(error);
  }

  uint8_t* image = BuildReportImage(initFlag);
  if (image == nullptr) {
    CloseReportFile(true);
    return E_OUTOFMEMORY;
  }
  ReportFile* head = reinterpret_cast<ReportFile*>(image);
  CopyText(head->reportPath, kReportPathCapacity, reportPath);
  const DWORD size = head->totalSize;

  DWORD error = ERROR_SUCCESS;
  DWORD written = 0;
  if (!WriteFile(reportFileHandle, image, size, &written, nullptr) || written != size) {
    error = GetLastError();
    DebugPrintf(L"Quorvel: WriteFile of the report file failed: %lu\n", error);
  } else if ((reportMapping = CreateFileMappingW(reportFileHandle, nullptr, PAGE_READWRITE, 0, size, reportName)) ==
             nullptr) {
    error = GetLastError();
    DebugPrintf(L"Quorvel: CreateFileMappingW failed: %lu\n", error);
  } else if ((reportView = static_cast<ReportFile*>(
                  MapViewOfFile(reportMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size))) == nullptr) {
    error = GetLastError();
    DebugPrintf(L"Quorvel: MapViewOfFile failed: %lu\n", error);
  }
  delete[] image;
  if (reportView == nullptr) {
    CloseReportFile(true);
    return FailureFromError(error);
  }

  // Without a launcher, reports go straight to the user-interface program.
  if (ConnectLauncher() != S_OK) runtimeConfig.useUILauncher = false;
  return S_OK;
}

void CReporter::CloseReportFile(bool deleteFile) {
  RemoveTraps();
  if (reportView != nullptr) UnmapViewOfFile(reportView);
  reportView = nullptr;
  if (reportMapping != nullptr) CloseHandle(reportMapping);
  reportMapping = nullptr;
  if (reportFileHandle != INVALID_HANDLE_VALUE) CloseHandle(reportFileHandle);
  reportFileHandle = INVALID_HANDLE_VALUE;
  if (deleteFile && reportPath[0] != L'\0') DeleteFileW(reportPath);
}
