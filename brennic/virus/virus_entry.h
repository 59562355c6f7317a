#pragma once
// One row of the counts table, and byte for byte one record of the store file.
#include <cstdint>

#include "virus/virus_record.h"

struct VirusEntry {
  char name[kVirusTextBytes];
  char md5[kVirusTextBytes];
  int32_t num;
};
static_assert(sizeof(VirusEntry) == 132, "store file records are 132 bytes");

// Same virus: name and md5 equal byte by byte up to their terminators. A field read
// from a store file may lack a terminator; the comparison stops at the field's end.
bool SameVirus(const char* nameA, const char* md5A, const char* nameB, const char* md5B);
inline bool SameVirus(const VirusEntry& entry, const VirusRecord& record) {
  return SameVirus(entry.name, entry.md5, record.name, record.md5);
}
inline bool SameVirus(const VirusEntry& a, const VirusEntry& b) { return SameVirus(a.name, a.md5, b.name, b.md5); }
