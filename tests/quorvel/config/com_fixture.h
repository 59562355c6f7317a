#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include "test_support.h"

// Each test runs with COM initialized on its thread and a folder of its own.
class ComTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }

  std::wstring WriteConfig(const std::string& text, const std::wstring& name = L"QuorvelConfig.xml") {
    std::wstring path = dir_ / name;
    EXPECT_TRUE(testing_support::WriteTextFile(path, text));
    return path;
  }

  testing_support::TempDir dir_;
};
