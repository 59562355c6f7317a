// The virus side as the rest of the library sees it: the process's own CVirusList.
#include "virus/virus_side.h"

#include <windows.h>

#include "virus/virus_lifecycle.h"
#include "virus/virus_list.h"
#include "virus/virus_queue.h"
#include "virus/virus_send.h"

namespace {

std::wstring InstallFolder() { return L""; }

std::wstring ExecutableTail() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path);
  size_t slash = full.find_last_of(L'\\');
  return slash == std::wstring::npos ? full : full.substr(slash);
}

}  // namespace

int ReportVirusInfo(const wchar_t* name, const wchar_t* path, const wchar_t* md5) {
  QueueVirusRecord(TheVirusList(), MakeVirusRecord(name, path, md5));
  return 1;
}

void AttachVirusList() { AttachVirusList(TheVirusList(), InstallFolder(), ExecutableTail()); }

void DetachVirusList() { DetachVirusList(TheVirusList()); }

int DealWithVirusList(uint32_t arg) { return DealWithVirusList(TheVirusList(), arg); }

int SendStoredVirusStores() { return SendStoredVirusStores(TheVirusList(), InstallFolder()); }
