#include "virus/virus_store.h"

#include <cstring>

#include "core/scoped_handle.h"
#include "virus/queue_lock.h"

StoreResult LoadVirusStore(CVirusList& list, const std::wstring& path, int reset) {
  QueueLock lock(list.queueMutex, kStoreLockMs);
  if (!lock.held()) return kStoreNoLock;
  const std::wstring& file = path.empty() ? list.storePath : path;
  ScopedHandle store(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!store) return kStoreDone;
  DWORD size = GetFileSize(store.get(), nullptr);
  if (size == INVALID_FILE_SIZE || size < sizeof(VirusEntry)) return kStoreDone;

  // Room for the whole file before anything changes: a store is taken whole or not
  // at all, so a caller that deletes loaded stores never deletes a half-read one.
  size_t records = size / sizeof(VirusEntry);
  if (!list.entries.Reserve((reset ? 0 : list.entries.size()) + records)) return kStoreNoMemory;
  if (reset) list.entries.Clear();
  for (size_t i = 0; i < records; ++i) {
    VirusEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    DWORD read = 0;
    ReadFile(store.get(), &entry, sizeof(entry), &read, nullptr);
    list.entries.Append(entry);
  }
  return kStoreDone;
}

StoreResult SaveVirusStore(CVirusList& list) {
  QueueLock lock(list.queueMutex, kStoreLockMs);
  if (!lock.held()) return kStoreNoLock;
  if (list.entries.empty()) return kStoreDone;
  ScopedHandle store(CreateFileW(list.storePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (store) {
    for (size_t i = 0; i < list.entries.size(); ++i) {
      DWORD written = 0;
      WriteFile(store.get(), &list.entries[i], sizeof(VirusEntry), &written, nullptr);
    }
  }
  list.entries.Free();
  return kStoreDone;
}
