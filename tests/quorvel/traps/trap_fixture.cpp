#include "trap_fixture.h"

#include "traps/thread_block.h"

BuiltException::BuiltException(DWORD code, uintptr_t address) {
  record_.ExceptionCode = code;
  record_.ExceptionAddress = reinterpret_cast<void*>(address);
}

PushedRecord::PushedRecord(const void* handler) {
  record_.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(const_cast<void*>(handler));
  record_.Next = CurrentThreadBlock()->ExceptionList;
  CurrentThreadBlock()->ExceptionList = &record_;
}

PushedRecord::~PushedRecord() { CurrentThreadBlock()->ExceptionList = record_.Next; }

namespace {
DWORD WINAPI RunBody(void* body) {
  (*static_cast<const std::function<void()>*>(body))();
  return 0;
}
}  // namespace

void OnFreshThread(const std::function<void()>& body) {
  HANDLE thread = CreateThread(nullptr, 0, RunBody, const_cast<std::function<void()>*>(&body), 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
  CloseHandle(thread);
}

ExceptionRule Rule(bool exclude, uint32_t first, uint32_t last, int32_t where, const wchar_t* module,
                   uint32_t from, uint32_t to) {
  ExceptionRule rule;
  rule.exclude = exclude;
  rule.firstCode = first;
  rule.lastCode = last;
  rule.where = where;
  rule.module = module;
  rule.fromAddress = from;
  rule.toAddress = to;
  return rule;
}

void TrapTest::SetUp() {
  frontstop_ = runtimeConfig.frontstopTrapper;
  backstop_ = runtimeConfig.backstopTrapper;
  unhandled_ = runtimeConfig.unhandledTrapper;
  stackOverflowOnly_ = runtimeConfig.stackOverflowOnly;
  rules_ = runtimeConfig.rules;
  runtimeConfig.frontstopTrapper = true;
  runtimeConfig.backstopTrapper = true;
  runtimeConfig.unhandledTrapper = true;
  runtimeConfig.stackOverflowOnly = false;
  runtimeConfig.rules.clear();
  view_.assign(sizeof(ReportFile), 0);
  reporter_ = new CReporter();
  reporter_->reportView = View();
}

void TrapTest::TearDown() {
  reporter_->reportView = nullptr;  // not a mapped view: nothing to unmap
  if (reporterInstance == reporter_) reporterInstance = nullptr;
  delete reporter_;
  runtimeConfig.frontstopTrapper = frontstop_;
  runtimeConfig.backstopTrapper = backstop_;
  runtimeConfig.unhandledTrapper = unhandled_;
  runtimeConfig.stackOverflowOnly = stackOverflowOnly_;
  runtimeConfig.rules = rules_;
}
