#pragma once
// What the rest of the library calls on the virus side.
#include <cstdint>

// VrelReportVirusInfo (md5 null) and VrelReportVirusInfoWithMD5. Always 1.
int ReportVirusInfo(const wchar_t* name, const wchar_t* path, const wchar_t* md5);
// Process attach (after the error side's load step) and detach (after its unload step).
void AttachVirusList();
void DetachVirusList();
// DealWithList with bit 1 set (and not taken by the error branch). Always 1.
int DealWithVirusList(uint32_t arg);
// Run32Send with "virustime".
int SendStoredVirusStores();
