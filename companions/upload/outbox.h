#pragma once
// Writing one sent report into the outbox (layout in README.md).
#include <string>
#include <utility>
#include <vector>

struct SentReport {
  std::wstring type;
  std::vector<std::pair<std::wstring, std::wstring>> params;  // in call order
  bool hasAttachment = false;
  std::wstring attachmentPath;
  std::vector<std::wstring> calls;
  int sendMode = 0;
};

// The outbox folder; module is Upload.dll's own handle, for the default beside it.
std::wstring OutboxFolder(void* module);

// Writes the report as the next report-NNNNN folder. False when nothing was written.
bool WriteToOutbox(const std::wstring& outbox, const SentReport& report);
