#pragma once
// Folding detections and stored rows into a counts table. Rows are matched by a
// linear scan from the first entry; a new virus is appended at the end.
#include <cstddef>
#include <cstdint>

#include "virus/record_array.h"
#include "virus/virus_entry.h"
#include "virus/virus_record.h"

using VirusTable = RecordArray<VirusEntry>;

// Counts never wrap: a sum beyond the 32-bit range stays at its limit.
int32_t AddCounts(int32_t a, int32_t b);

// Counts one detection per record, in order. Returns how many records were counted:
// fewer than `count` only when the table could not grow, and then the records from
// that one on are not counted and the table holds everything before it.
size_t MergeRecords(VirusTable& table, const VirusRecord* records, size_t count);

// Adds every row of `rows`, in order, into `merged` (equal rows add their num).
// False when `merged` could not grow; it then holds the rows before the failing one.
bool MergeEntries(VirusTable& merged, const VirusTable& rows);
