#include "virus/virus_counts.h"

#include <climits>
#include <cstring>

namespace {

VirusEntry* Find(VirusTable& table, const char* name, const char* md5) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (SameVirus(table[i].name, table[i].md5, name, md5)) return &table[i];
  }
  return nullptr;
}

bool Count(VirusTable& table, const char* name, const char* md5, int32_t num) {
  if (VirusEntry* found = Find(table, name, md5)) {
    found->num = AddCounts(found->num, num);
    return true;
  }
  VirusEntry entry;
  std::memcpy(entry.name, name, sizeof(entry.name));
  std::memcpy(entry.md5, md5, sizeof(entry.md5));
  entry.num = num;
  return table.Append(entry);
}

}  // namespace

int32_t AddCounts(int32_t a, int32_t b) {
  int64_t sum = static_cast<int64_t>(a) + b;
  if (sum > INT32_MAX) return INT32_MAX;
  if (sum < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(sum);
}

size_t MergeRecords(VirusTable& table, const VirusRecord* records, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!Count(table, records[i].name, records[i].md5, 1)) return i;
  }
  return count;
}

bool MergeEntries(VirusTable& merged, const VirusTable& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!Count(merged, rows[i].name, rows[i].md5, rows[i].num)) return false;
  }
  return true;
}
