#include "outbox_reader.h"

#include <windows.h>

#include <algorithm>

#include "test_support.h"

using namespace testing_support;

namespace {

std::string FileText(const std::wstring& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::wstring> Names(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return crc ^ 0xFFFFFFFFu;
}

uint16_t U16At(const std::vector<uint8_t>& b, size_t o) {
  return o + 2 <= b.size() ? static_cast<uint16_t>(b[o] | (b[o + 1] << 8)) : 0;
}

}  // namespace

std::vector<DeliveredReport> ReadOutbox(const std::wstring& outbox) {
  std::vector<DeliveredReport> reports;
  for (const std::wstring& name : Names(outbox + L"\\report-*")) {
    DeliveredReport report;
    report.folder = outbox + L"\\" + name;
    report.type = FileText(report.folder + L"\\type.txt");
    for (const std::wstring& param : Names(report.folder + L"\\param-*.txt")) {
      std::string key = Narrow(param.substr(6, param.size() - 10));
      report.params[key] = FileText(report.folder + L"\\" + param);
    }
    report.calls = Lines(FileText(report.folder + L"\\calls.txt"));
    report.attached = FileExists(report.folder + L"\\attachment-path.txt");
    if (report.attached) {
      report.attachmentPath = FileText(report.folder + L"\\attachment-path.txt");
      std::vector<std::wstring> copies = Names(report.folder + L"\\attachment\\*.*");
      copies.erase(std::remove_if(copies.begin(), copies.end(),
                                  [](const std::wstring& n) { return n == L"." || n == L".."; }),
                   copies.end());
      report.attachmentCopied = copies.size() == 1;
      if (report.attachmentCopied) report.attachment = ReadFileBytes(report.folder + L"\\attachment\\" + copies[0]);
    }
    report.sendMode = FileText(report.folder + L"\\send.txt");
    reports.push_back(report);
  }
  return reports;
}

std::map<std::string, std::string> ReadStoredZip(const std::vector<uint8_t>& zip) {
  std::map<std::string, std::string> entries;
  size_t at = 0;
  while (at + 30 <= zip.size() && U32At(zip, at) == 0x04034B50) {
    uint32_t crc = U32At(zip, at + 14);
    uint32_t size = U32At(zip, at + 18);
    uint16_t nameLength = U16At(zip, at + 26);
    uint16_t extraLength = U16At(zip, at + 28);
    size_t data = at + 30 + nameLength + extraLength;
    if (data + size > zip.size()) break;
    std::string name(zip.begin() + at + 30, zip.begin() + at + 30 + nameLength);
    if (Crc32(&zip[data], size) != crc) name = "BAD CRC " + name;
    entries[name] = std::string(zip.begin() + data, zip.begin() + data + size);
    at = data + size;
  }
  return entries;
}
