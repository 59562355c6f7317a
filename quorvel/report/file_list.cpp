// The supplementary file list: fixed entries of 528 bytes after the message log,
// the first fileCount of them in use, oldest first.
#include <cstring>

#include "common/hresult.h"
#include "common/text.h"
#include "report/lock_guard.h"
#include "reporter.h"

namespace {

constexpr size_t kPathCapacity = 260;


}  // namespace

// The list and its count as the library laid them out. The count in the file is
// bounded by the capacity: other processes can write into the named mapping.
static FileEntry* FileList(CReporter* reporter, uint32_t* count) {
  uint8_t* base = reinterpret_cast<uint8_t*>(reporter->reportView);
  uint32_t stored = reporter->reportView->fileCount;
  *count = stored < reporter->fileCapacity ? stored : reporter->fileCapacity;
  return reinterpret_cast<FileEntry*>(base + reporter->logOffset + reporter->logSize);
}

HRESULT CReporter::AddFile(const wchar_t* path, DWORD value1, DWORD value2) {
  LockGuard guard(&reporterLock);
  if (reportView == nullptr) return kResultBlank;
  if (path == nullptr) return E_INVALIDARG;
  // A list without room keeps nothing, and says so.
  if (fileCapacity == 0) return S_FALSE;
  uint32_t count = 0;
  FileEntry* list = FileList(this, &count);
  if (count == fileCapacity) {
    memmove(&list[0], &list[1], (fileCapacity - 1) * sizeof(FileEntry));
    --count;
  }
  FileEntry& entry = list[count];
  memset(&entry, 0, sizeof(entry));
  entry.value1 = value1;
  entry.value2 = value2;
  CopyText(entry.path, kPathCapacity, path);
  reportView->fileCount = count + 1;
  return S_OK;
}

HRESULT CReporter::RemoveFile(const wchar_t* path) {
  LockGuard guard(&reporterLock);
  if (reportView == nullptr) return kResultBlank;
  if (path == nullptr) return E_INVALIDARG;
  // Compared as AddFile stored it, so that removing a path undoes adding it even
  // when it was cut; letter case is ignored as the file system ignores it.
  const int keyLength = static_cast<int>(BoundedLength(path, kPathCapacity - 1));
  uint32_t count = 0;
  FileEntry* list = FileList(this, &count);
  for (uint32_t i = 0; i < count; ++i) {
    const int length = static_cast<int>(BoundedLength(list[i].path, kPathCapacity));
    if (CompareStringOrdinal(list[i].path, length, path, keyLength, TRUE) != CSTR_EQUAL) continue;
    memmove(&list[i], &list[i + 1], (count - 1 - i) * sizeof(FileEntry));
    memset(&list[count - 1], 0, sizeof(FileEntry));
    reportView->fileCount = count - 1;
    return S_OK;
  }
  return S_FALSE;
}
