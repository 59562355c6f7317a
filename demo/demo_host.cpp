// The demo's host program: initializes Quorvel the way an application would, says
// what happened and where its report file lies, logs a few lines and reads them
// back from the report file's named mapping, as the companion programs do.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "quorvel.h"

namespace {

uint32_t U32(const uint8_t* view, uint32_t offset) {
  uint32_t value;
  memcpy(&value, view + offset, sizeof(value));
  return value;
}

// The message log: from the oldest entry (offset 9584 holds its file offset) along
// each entry's next offset to the entry of length 0. An entry is its length, the
// next offset, a UTC FILETIME and the text.
void PrintLog(DWORD processId) {
  wchar_t name[64];
  _snwprintf(name, 64, L"MarluneApp%lu.qvrp", processId);
  name[63] = 0;
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
  const uint8_t* view = mapping ? static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
  if (view == nullptr) {
    printf("demo_host: no mapping %ls\n", name);
    if (mapping) CloseHandle(mapping);
    return;
  }
  const uint32_t logEnd = U32(view, 9588);
  uint32_t offset = U32(view, 9584);
  for (int count = 0; logEnd > 9600 && offset >= 9600 && offset + 16 <= logEnd && count < 4096; ++count) {
    const uint32_t length = U32(view, offset);
    if (length == 0) break;
    FILETIME stamp = {U32(view, offset + 8), U32(view, offset + 12)};
    SYSTEMTIME utc;
    FileTimeToSystemTime(&stamp, &utc);
    printf("demo_host: log %02u:%02u:%02u.%03u UTC  %.*ls\n", utc.wHour, utc.wMinute, utc.wSecond,
           utc.wMilliseconds, static_cast<int>((length - 20) / 2), reinterpret_cast<const wchar_t*>(view + offset + 16));
    offset = U32(view, offset + 4);
  }
  UnmapViewOfFile(view);
  CloseHandle(mapping);
}

}  // namespace

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT hr = Quorvel_Initialize(0);
  printf("demo_host: process %lu, Quorvel_Initialize(0) returned 0x%08lX\n", GetCurrentProcessId(),
         static_cast<unsigned long>(hr));

  wchar_t folder[MAX_PATH] = L"";
  SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE);
  wchar_t report[MAX_PATH];
  _snwprintf(report, MAX_PATH, L"%s\\Marlune\\Quorvel\\MarluneApp%lu.qvrp", folder, GetCurrentProcessId());
  report[MAX_PATH - 1] = 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(report, GetFileExInfoStandard, &data)) {
    printf("demo_host: report file %ls (%lu bytes)\n", report, data.nFileSizeLow);
  } else {
    printf("demo_host: no report file at %ls\n", report);
  }

  HRESULT logged = Quorvel_AddText(L"demo started, process %lu", GetCurrentProcessId());
  printf("demo_host: Quorvel_AddText returned 0x%08lX\n", static_cast<unsigned long>(logged));
  Quorvel_AddText(L"opened %s with %d records", L"inventory.db", 1742);
  Quorvel_AddText(L"user chose \"%s\"", L"Export as CSV");
  PrintLog(GetCurrentProcessId());
  Quorvel_Shutdown();
  printf("demo_host: Quorvel_Shutdown done, report file %s\n",
         GetFileAttributesW(report) == INVALID_FILE_ATTRIBUTES ? "removed" : "still there");
  CoUninitialize();
  return 0;
}
