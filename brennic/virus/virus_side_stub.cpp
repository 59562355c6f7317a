// Placeholder until the virus side is built.
#include "virus/virus_side.h"

int ReportVirusInfo(const wchar_t*, const wchar_t*, const wchar_t*) { return 1; }
void AttachVirusList() {}
void DetachVirusList() {}
int DealWithVirusList(uint32_t) { return 1; }
int SendStoredVirusStores() { return 1; }
