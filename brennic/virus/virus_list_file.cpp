#include "virus/virus_list_file.h"

#include <cstring>

#include "core/client_identifier.h"
#include "core/file_text.h"
#include "core/format_text.h"
#include "core/scoped_handle.h"
#include "virus/queue_lock.h"

namespace {

// A field read back from a store file may fill its 64 bytes without a terminator.
std::wstring FieldText(const char (&field)[kVirusTextBytes]) {
  const void* end = std::memchr(field, 0, sizeof(field));
  size_t bytes = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : sizeof(field);
  return FromFileText(std::string(field, bytes));
}

std::wstring EntryLine(const VirusEntry& entry) {
  return FormatWide(L"<vir name=\"%s\" md5=\"%s\" num=\"%d\"/>\r\n", FieldText(entry.name).c_str(),
                    FieldText(entry.md5).c_str(), static_cast<int>(entry.num));
}

}  // namespace

int WriteVirusList(CVirusList& list) {
  QueueLock lock(list.queueMutex, kIntakeLockMs);
  if (!lock.held() || list.entries.empty()) return 1;
  ScopedHandle file(CreateFileW(list.listPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  WriteFileText(file.get(), FormatWide(L"<virlist cid=\"%s\">\r\n", GetClientIdentifier().c_str()));
  InterlockedExchange(&list.listWriting, 1);
  for (size_t i = 0; i < list.entries.size(); ++i) WriteFileText(file.get(), EntryLine(list.entries[i]));
  list.entries.Free();
  InterlockedExchange(&list.listWriting, 0);
  WriteFileText(file.get(), L"</virlist>\r\n");
  return 0;
}
