#include "report_source.h"

#include <shlobj.h>

#include "report/report_layout.h"

namespace report_reader {
namespace {

// Larger files are not reports of ours: a log of 64 MB would be absurd already.
constexpr DWORD kMaxReportSize = 64u << 20;

std::wstring WithoutExtension(const std::wstring& path) {
  size_t dot = path.find_last_of(L'.');
  size_t slash = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

bool CopyMapping(const std::wstring& name, LoadedReport* out) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (mapping == nullptr) return false;
  const uint8_t* view = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  bool copied = false;
  if (view != nullptr) {
    MEMORY_BASIC_INFORMATION region = {};
    VirtualQuery(view, &region, sizeof(region));
    size_t size = region.RegionSize;
    uint32_t total = 0;
    if (size >= sizeof(total)) memcpy(&total, view, sizeof(total));
    // The head is always there; the declared size only if the view holds it.
    if (total >= kReportHeaderSize && total < size) size = total;
    if (size > kMaxReportSize) size = kMaxReportSize;
    out->bytes.assign(view, view + size);
    UnmapViewOfFile(view);
    copied = true;
  }
  CloseHandle(mapping);
  return copied;
}

bool CopyFileBytes(const std::wstring& path, LoadedReport* out, std::wstring* error) {
  // The reporting process may still hold the file open for writing.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = L"cannot open " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
    return false;
  }
  DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size > kMaxReportSize) size = kMaxReportSize;
  out->bytes.resize(size);
  DWORD read = 0;
  if (size != 0 && !ReadFile(file, out->bytes.data(), size, &read, nullptr)) read = 0;
  out->bytes.resize(read);
  CloseHandle(file);
  return true;
}

}  // namespace

std::wstring ReportFolder() {
  wchar_t folder[MAX_PATH] = L"";
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE)) return L"";
  return std::wstring(folder) + L"\\Marlune\\Quorvel\\";
}

bool LoadReport(const std::wstring& argument, LoadedReport* out, std::wstring* error) {
  *out = LoadedReport();
  if (argument.empty()) {
    *error = L"no report named";
    return false;
  }
  if (argument.find_first_of(L"\\/") != std::wstring::npos) {
    out->source = argument;
    out->outputStem = WithoutExtension(argument);
    return CopyFileBytes(argument, out, error);
  }
  out->outputStem = WithoutExtension(ReportFolder() + argument);
  if (CopyMapping(argument, out)) {
    out->source = L"mapping " + argument;
    out->live = true;
    return true;
  }
  out->source = ReportFolder() + argument;
  return CopyFileBytes(out->source, out, error);
}

}  // namespace report_reader
