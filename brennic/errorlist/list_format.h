#pragma once
// The error-list file, as the product's readers expect it: ANSI text, CR LF lines,
//   <errList cid="IDENTIFIER" >
//   <err id="..." info="..." time="2010-8-14 9:5:3"/>     zero or more, oldest first
//   </errList>
// The closing element is exactly 12 bytes, so a writer overwrites it by seeking 12
// bytes back from the end and writes it again after its entries.
#include <string>

#include "errorlist/error_list.h"

extern const wchar_t kErrorListClosing[];  // "</errList>\r\n"
const long kErrorListClosingBytes = 12;

std::wstring ErrorListOpening(const std::wstring& clientIdentifier);

// One entry line. id and info go through EscapeXml, so a quote, "<" or "&" in them
// cannot break the file for every later entry; line breaks inside them are kept.
// The time is the intake's UTC, in decimal without leading zeros.
std::wstring ErrorListEntry(const ErrorRecord& record);
