#include "error_list_fixture.h"

using namespace testing_support;

void ErrorListTest::SetUp() {
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", install_.path().c_str());
  CreateDirectoryW((install_ / L"Data").c_str(), nullptr);
  AttachErrorList(list_);
  ASSERT_FALSE(list_.listPath.empty());
}

void ErrorListTest::TearDown() { DetachErrorList(list_); }

std::string ErrorListTest::ListText() const {
  std::vector<uint8_t> bytes = ReadFileBytes(list_.listPath);
  return std::string(bytes.begin(), bytes.end());
}

bool ErrorListTest::WaitForEntries(size_t entries, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  while (CountOf(ListText(), "<err ") < entries) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

bool ErrorListTest::WaitForWriterRunning(LONG value, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  while (list_.writerRunning != value) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}
