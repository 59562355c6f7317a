#pragma once
#include <string>

// Makes a text safe inside a double-quoted XML attribute value: "&", "<", ">", "'"
// and the double quote become entities; everything else passes unchanged (an "&"
// that already starts an entity is escaped again). A null text gives "".
std::wstring EscapeXml(const wchar_t* text);
