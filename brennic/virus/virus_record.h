#pragma once
// One detection on its way from intake to the virus worker: fixed size, no pointers,
// copied by value into and out of the queues.
#include <cstddef>

constexpr size_t kVirusTextBytes = 64;   // name and md5 fields, terminator included
constexpr size_t kVirusNameLimit = 63;   // bytes of name text kept
constexpr size_t kVirusMd5Limit = 32;    // bytes of digest text kept
constexpr size_t kVirusPathUnits = 260;  // path field; a 260-unit path has no terminator

struct VirusRecord {
  char name[kVirusTextBytes];  // escaped, in the thread's ANSI code page
  char md5[kVirusTextBytes];   // all zero when the detection came without a digest
  wchar_t path[kVirusPathUnits];
};
static_assert(sizeof(VirusRecord) == 648, "three fixed fields, no padding");

// Escapes, converts and cuts the caller's texts into a record. Null texts count as
// empty; a null md5 gives an all-zero digest field.
VirusRecord MakeVirusRecord(const wchar_t* name, const wchar_t* path, const wchar_t* md5);
