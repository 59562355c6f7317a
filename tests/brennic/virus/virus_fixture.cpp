#include "virus_fixture.h"

#include <cstring>

namespace virus_testing {

std::vector<uint8_t> StoreRecord(const std::string& name, const std::string& md5, int32_t num) {
  std::vector<uint8_t> record(132, 0);
  std::memcpy(&record[0], name.data(), name.size() < 64 ? name.size() : 64);
  std::memcpy(&record[64], md5.data(), md5.size() < 64 ? md5.size() : 64);
  uint32_t value = static_cast<uint32_t>(num);
  for (int i = 0; i < 4; ++i) record[128 + i] = static_cast<uint8_t>(value >> (8 * i));
  return record;
}

std::vector<uint8_t> Concat(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

void PrintTo(const Row& row, std::ostream* out) { *out << "(" << row.name << ", " << row.md5 << ", " << row.num << ")"; }

namespace {

std::string FieldAt(const uint8_t* field) {
  size_t n = 0;
  while (n < 64 && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace

std::vector<Row> StoreRows(const std::vector<uint8_t>& bytes) {
  std::vector<Row> rows;
  for (size_t at = 0; at + 132 <= bytes.size(); at += 132) {
    rows.push_back({FieldAt(&bytes[at]), FieldAt(&bytes[at + 64]),
                    static_cast<int32_t>(testing_support::U32At(bytes, at + 128))});
  }
  return rows;
}

std::vector<Row> TableRows(CVirusList& list) {
  std::vector<Row> rows;
  if (WaitForSingleObject(list.queueMutex, 5000) != WAIT_OBJECT_0) return rows;
  for (size_t i = 0; i < list.entries.size(); ++i) {
    const VirusEntry& entry = list.entries[i];
    rows.push_back({FieldAt(reinterpret_cast<const uint8_t*>(entry.name)),
                    FieldAt(reinterpret_cast<const uint8_t*>(entry.md5)), entry.num});
  }
  ReleaseMutex(list.queueMutex);
  return rows;
}

std::string ReadText(const std::wstring& path) {
  std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > limitMs) return false;
    Sleep(5);
  }
  return true;
}

namespace {
void* NoMemory(void*, size_t) { return nullptr; }
}  // namespace

FailingGrowth::FailingGrowth() : saved_(g_recordArrayRealloc) { g_recordArrayRealloc = &NoMemory; }
FailingGrowth::~FailingGrowth() { g_recordArrayRealloc = saved_; }

// The product's installer makes "Data"; the library makes only the last level.
void VirusListTest::SetUp() { CreateDirectoryW((install_.path() + L"\\Data").c_str(), nullptr); }

void VirusListTest::Attach() {
  AttachVirusList(list_, VirusFolder(), L"\\scanner.exe");
  list_.workerWaitMs = 20;
}

void VirusListTest::TearDown() { DetachVirusList(list_); }

}  // namespace virus_testing
