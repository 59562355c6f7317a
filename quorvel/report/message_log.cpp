// The message log: a ring of variable-length entries in the report file, chained by
// file offsets so that a reader needs nothing but the file. Offsets below are
// relative to the log area unless they are stored in the file.
//
//   entry:  entryLength (2n + 20) | nextOffset | timestamp (FILETIME, UTC) | text, null
//   end:    0 | 0                 (follows the newest entry)
//
// An entry takes its place plus 20 bytes (its end record and spare), so the newest
// entry never runs into the oldest one and the end record never overwrites a live
// entry. An entry that no longer fits before the end of the area goes to its start;
// the tail it leaves counts as used until the oldest entries have moved past it.
#include <cwchar>

#include "common/hresult.h"
#include "common/text.h"
#include "report/lock_guard.h"
#include "reporter.h"

namespace {

constexpr size_t kTextCapacity = 2048;
constexpr uint32_t kEndRecordSize = 8;
constexpr uint32_t kSpare = 20;  // end record plus 12 bytes, beyond the entry itself


}  // namespace

HRESULT CReporter::AddText(const wchar_t* format, va_list args) {
  // Creation and shutdown never run beside another call, so a look without the
  // lock is enough to answer "not initialized" before formatting.
  if (reportView == nullptr) return kResultBlank;

  // Formatting touches nothing shared: it runs before the lock is taken. A longer
  // text is stored cut to 2047 characters; a format that cannot be expanded stores
  // nothing (what was produced up to the fault would be misleading).
  wchar_t text[kTextCapacity];
  const int formatted = FormatTextV(text, kTextCapacity, format, args);
  const uint32_t n = static_cast<uint32_t>(BoundedLength(text, kTextCapacity));
  if (formatted < 0 && n < kTextCapacity - 1) return E_INVALIDARG;
  const uint32_t entryLength = 2 * n + kLogEntryHeadSize + 4;
  const uint32_t need = entryLength + kSpare;

  LockGuard guard(&reporterLock);
  if (reportView == nullptr) return kResultBlank;
  const uint32_t L = logOffset;
  const uint32_t S = logSize;
  // Whether an entry fits depends on its size alone: one that fits an empty log is
  // always taken, dropping every older entry if it must.
  if (need > S) return S_FALSE;

  uint8_t* const base = reinterpret_cast<uint8_t*>(reportView);
  auto headAt = [&](uint32_t areaOffset) { return reinterpret_cast<LogEntryHead*>(base + L + areaOffset); };

  // Other processes can write into the named mapping: a chain that leads outside
  // the area, or around in circles, is dropped rather than followed.
  uint32_t P = logNewest + headAt(logNewest)->entryLength;
  if (logNewest >= S || P > S - kEndRecordSize || logOldest >= S) {
    logOldest = logNewest = P = 0;
  }
  const bool wrap = S - P < need;
  const uint32_t reserve = wrap ? (S - P) + need : need;
  const uint32_t X = wrap ? 0 : P;

  for (uint32_t dropped = 0;; ++dropped) {
    const uint32_t freeBytes = logOldest > P ? logOldest - P : logOldest - P + S;
    if (freeBytes >= reserve) break;
    const LogEntryHead* oldest = headAt(logOldest);
    const uint32_t next = oldest->nextOffset - L;
    if (oldest->entryLength == 0 || next >= S || dropped > S / kSpare) {
      logOldest = X;
      break;
    }
    logOldest = next;
    if (logOldest == P) {
      logOldest = X;
      break;
    }
  }
  reportView->logOldestOffset = L + logOldest;

  headAt(logNewest)->nextOffset = L + X;
  logNewest = X;
  LogEntryHead* entry = headAt(X);
  entry->entryLength = entryLength;
  entry->nextOffset = L + X + entryLength;
  SYSTEMTIME now;
  GetSystemTime(&now);
  FILETIME stamp = {};
  SystemTimeToFileTime(&now, &stamp);
  entry->timestampLow = stamp.dwLowDateTime;
  entry->timestampHigh = stamp.dwHighDateTime;
  wmemcpy(reinterpret_cast<wchar_t*>(entry + 1), text, n + 1);

  LogEntryHead* end = headAt(X + entryLength);
  end->entryLength = 0;
  end->nextOffset = 0;
  return S_OK;
}
