// The virus side as the rest of the library sees it: the process's own CVirusList.
#include "virus/virus_side.h"

#include "core/storage.h"
#include "virus/virus_lifecycle.h"
#include "virus/virus_list.h"
#include "virus/virus_queue.h"
#include "virus/virus_send.h"

int ReportVirusInfo(const wchar_t* name, const wchar_t* path, const wchar_t* md5) {
  QueueVirusRecord(TheVirusList(), MakeVirusRecord(name, path, md5));
  return 1;
}

void AttachVirusList() { AttachVirusList(TheVirusList(), VirusFolder(), ExecutableTail()); }

void DetachVirusList() { DetachVirusList(TheVirusList()); }

int DealWithVirusList(uint32_t arg) { return DealWithVirusList(TheVirusList(), arg); }

int SendStoredVirusStores() { return SendStoredVirusStores(TheVirusList(), VirusFolder() + L"\\"); }
