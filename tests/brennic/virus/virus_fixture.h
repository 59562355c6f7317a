#pragma once
// A CVirusList of its own per test, attached to a fresh installation folder, with a
// worker that waits 20 ms instead of 5 s between quiet passes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "virus/record_array.h"
#include "virus/virus_lifecycle.h"
#include "virus/virus_list.h"

namespace virus_testing {

// The 132-byte store record, laid out by hand: name at 0, md5 at 64, num at 128.
std::vector<uint8_t> StoreRecord(const std::string& name, const std::string& md5, int32_t num);
std::vector<uint8_t> Concat(const std::vector<std::vector<uint8_t>>& parts);

struct Row {
  std::string name;
  std::string md5;
  int32_t num;
  bool operator==(const Row& other) const {
    return name == other.name && md5 == other.md5 && num == other.num;
  }
};
void PrintTo(const Row& row, std::ostream* out);

// Rows of a store file, read at their literal offsets.
std::vector<Row> StoreRows(const std::vector<uint8_t>& bytes);
// Rows of a table, taken under its mutex.
std::vector<Row> TableRows(CVirusList& list);

std::string ReadText(const std::wstring& path);
bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs = 5000);

// Makes every RecordArray growth fail while it lives.
class FailingGrowth {
 public:
  FailingGrowth();
  ~FailingGrowth();

 private:
  RecordArrayRealloc saved_;
};

class VirusListTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::wstring VirusFolder() const { return install_.path() + L"\\Data\\VrelVirus"; }
  std::wstring StorePath() const { return VirusFolder() + L"\\scanner.exe.data"; }
  std::wstring ListPath() const { return VirusFolder() + L"\\scanner.exe.xml"; }
  void Attach();

  testing_support::TempDir install_;
  CVirusList list_;
};

class AttachedVirusListTest : public VirusListTest {
 protected:
  void SetUp() override {
    VirusListTest::SetUp();
    Attach();
  }
};

}  // namespace virus_testing
