#include "errorlist/list_format.h"

#include "core/escape_xml.h"
#include "core/format_text.h"

const wchar_t kErrorListClosing[] = L"</errList>\r\n";

std::wstring ErrorListOpening(const std::wstring& clientIdentifier) {
  return FormatWide(L"<errList cid=\"%s\" >\r\n", clientIdentifier.c_str());
}

std::wstring ErrorListEntry(const ErrorRecord& record) {
  const SYSTEMTIME& t = record.time;
  return FormatWide(L"<err id=\"%s\" info=\"%s\" time=\"%d-%d-%d %d:%d:%d\"/>\r\n", EscapeXml(record.id.c_str()).c_str(),
                    EscapeXml(record.info.c_str()).c_str(), t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                    t.wSecond);
}
