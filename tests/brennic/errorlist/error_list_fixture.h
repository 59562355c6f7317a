#pragma once
// A CErrorList of the test's own, loaded by the real load step into a temporary
// installation folder (VrelInstall.dll, beside the test program, is pointed at it
// through VRELINSTALL_FOLDER). Unloaded again at the end of each test.
#include <gtest/gtest.h>

#include <string>

#include "errorlist/error_list.h"
#include "test_support.h"

class ErrorListTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string ListText() const;
  // Polls until the list file holds `entries` entry lines, at most timeoutMs.
  bool WaitForEntries(size_t entries, DWORD timeoutMs) const;
  // Polls until writerRunning has the given value.
  bool WaitForWriterRunning(LONG value, DWORD timeoutMs) const;

  testing_support::TempDir install_;
  CErrorList list_;
};

size_t CountOf(const std::string& text, const std::string& part);
