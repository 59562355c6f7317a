#pragma once
// Shared pieces of the trap tests: exceptions built by hand, handler chains built by
// pushing records of our own, and a reporter that looks initialized to the traps.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "config/config.h"
#include "reporter.h"

// An exception as a trap receives it.
class BuiltException {
 public:
  explicit BuiltException(DWORD code, uintptr_t address = 0x00401234);
  BuiltException(const BuiltException&) = delete;
  BuiltException& operator=(const BuiltException&) = delete;
  EXCEPTION_POINTERS* pointers() { return &pointers_; }

 private:
  EXCEPTION_RECORD record_ = {};
  CONTEXT context_ = {};
  EXCEPTION_POINTERS pointers_ = {&record_, &context_};
};

// Pushes one registration record onto the calling thread's chain for its scope. No
// exception may be raised while a record with a made-up handler is pushed.
class PushedRecord {
 public:
  explicit PushedRecord(const void* handler);
  ~PushedRecord();
  PushedRecord(const PushedRecord&) = delete;
  PushedRecord& operator=(const PushedRecord&) = delete;

 private:
  EXCEPTION_REGISTRATION_RECORD record_;
};

// Runs body on a new thread and waits for it: a new thread's chain holds exactly the
// system's outermost record (depth 0).
void OnFreshThread(const std::function<void()>& body);

// A rule with the loader's defaults for what is not given.
ExceptionRule Rule(bool exclude, uint32_t first, uint32_t last, int32_t where = WhereBoth,
                   const wchar_t* module = L"*", uint32_t from = 0, uint32_t to = 0xFFFFFFFF);

// Every trap test starts from the defaults of an "enabled only" configuration, no
// rules, and a reporter whose view is a zero-filled image in ordinary memory. The
// reporter is published (reporterInstance) only by tests that need it, and only
// where no trap can reach ReportCrash.
class TrapTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void Publish() { reporterInstance = reporter_; }
  ReportFile* View() { return reinterpret_cast<ReportFile*>(view_.data()); }

  CReporter* reporter_ = nullptr;

 private:
  std::vector<uint8_t> view_;
  bool frontstop_, backstop_, unhandled_, stackOverflowOnly_;
  std::vector<ExceptionRule> rules_;
};
