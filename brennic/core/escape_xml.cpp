#include "core/escape_xml.h"

std::wstring EscapeXml(const wchar_t* text) {
  std::wstring result;
  if (text == nullptr) return result;
  for (const wchar_t* p = text; *p != L'\0'; ++p) {
    switch (*p) {
      case L'&': result += L"&amp;"; break;
      case L'<': result += L"&lt;"; break;
      case L'>': result += L"&gt;"; break;
      case L'\'': result += L"&apos;"; break;
      case L'"': result += L"&quot;"; break;
      default: result += *p; break;
    }
  }
  return result;
}
