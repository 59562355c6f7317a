#include "virus/virus_record.h"

#include <cstring>
#include <string>

#include "core/escape_xml.h"
#include "core/file_text.h"

namespace {

// The cut is by bytes and may split an entity or a double-byte character: the field
// keeps its fixed size in the queues, the table and the store file.
void StoreCut(char (&field)[kVirusTextBytes], const wchar_t* text, size_t limit) {
  std::string converted = ToFileText(EscapeXml(text));
  std::memcpy(field, converted.data(), converted.size() < limit ? converted.size() : limit);
}

void StorePath(wchar_t (&field)[kVirusPathUnits], const wchar_t* path) {
  std::wstring escaped = EscapeXml(path);
  if (escaped.size() > kVirusPathUnits) {
    escaped = escaped.substr(0, 20) + L"\\..\\" + escaped.substr(escaped.size() - 20);
  }
  std::memcpy(field, escaped.data(), escaped.size() * sizeof(wchar_t));
}

}  // namespace

VirusRecord MakeVirusRecord(const wchar_t* name, const wchar_t* path, const wchar_t* md5) {
  VirusRecord record;
  std::memset(&record, 0, sizeof(record));
  StoreCut(record.name, name, kVirusNameLimit);
  if (md5 != nullptr) StoreCut(record.md5, md5, kVirusMd5Limit);
  StorePath(record.path, path);
  return record;
}
