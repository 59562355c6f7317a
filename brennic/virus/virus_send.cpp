#include "virus/virus_send.h"

#include <cwchar>

#include "core/scoped_handle.h"
#include "send/upload_frame.h"
#include "virus/queue_lock.h"
#include "virus/virus_counts.h"
#include "virus/virus_list_file.h"
#include "virus/virus_store.h"
#include "virus/virus_worker.h"

namespace {

const wchar_t kReportType[] = L"VirusInfo";

// Rows of the same virus from different stores become one row; when memory is short
// the table keeps its rows unmerged, so no count is lost.
void MergeTableRows(CVirusList& list) {
  VirusTable merged;
  if (MergeEntries(merged, list.entries)) list.entries.Swap(merged);
}

}  // namespace

// Without the upload module or a report object the list is not written: the counts
// stay in the table and reach the store file at unload.
int UploadVirusList(CVirusList& list) {
  if (list.uploadSwitch == 0) {
    WriteVirusList(list);
    return 1;
  }
  WithUploadReport([&](IUploadReport* report) {
    report->SetReportType(kReportType);
    if (WriteVirusList(list) != 0) {
      report->Release();  // nothing to send; the object is not left to leak
      return;
    }
    DeleteFileW(list.storePath.c_str());
    report->AttachFile(list.listPath.c_str());
    report->Send(1);
    report->Release();
    DeleteFileW(list.listPath.c_str());
  });
  return 1;
}

int DealWithVirusList(CVirusList& list, uint32_t arg) {
  LONG running = list.workerRunning;
  list.uploadSwitch = static_cast<LONG>(arg);
  if (running == 0) EnsureVirusWorker(list);
  if (list.flushEvent != nullptr) SetEvent(list.flushEvent);
  return 1;
}

int SendStoredVirusStores(CVirusList& list, const std::wstring& storeFolder) {
  QueueLock lock(list.queueMutex, kStoreLockMs);
  if (!lock.held()) return 1;
  // Not waited for: its next pass needs the mutex this command holds to the end.
  if (list.workerRunning != 0 && list.stopEvent != nullptr) SetEvent(list.stopEvent);

  WIN32_FIND_DATAW found;
  ScopedFind find((storeFolder + L"*.data").c_str(), &found);
  if (find) {
    do {
      std::wstring path = storeFolder + found.cFileName;
      // This program's own store is already in the table since the load step; the
      // flush deletes it once sent, or the unload rewrites it with the merged counts.
      if (_wcsicmp(path.c_str(), list.storePath.c_str()) == 0) continue;
      // A store the table had no room for stays on disk for a later command.
      if (LoadVirusStore(list, path, 0) != kStoreNoMemory) DeleteFileW(path.c_str());
    } while (find.Next(&found));
    MergeTableRows(list);
  }

  list.uploadSwitch = 1;
  int result = UploadVirusList(list);
  list.uploadSwitch = 0;
  return result;
}
