// The exports when the reporter itself cannot be allocated. This program replaces
// the non-throwing allocation operator (as any C++ program may) so that the
// reporter's allocation can be made to fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "quorvel.h"
#include "reporter.h"

namespace {
bool failNothrowAllocations = false;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (failNothrowAllocations) return nullptr;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

TEST(ReporterAllocationFailure, ExportsAnswerOutOfMemoryAndNothingCrashes) {
  failNothrowAllocations = true;
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_Initialize(0));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_InitializeWithOptions(0, 1, L"x"));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_InitializeNoCrash(0, L"C:\\"));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_AddText(L"%d", 1));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_AddFile(L"C:\\a", 0, 0));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_RemoveFile(L"C:\\a"));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_UserAbort(L"x"));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_InstallFail(L"x"));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_ManagedException(L"a", L"b", nullptr, nullptr));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_StartMonitoringProcess(GetCurrentProcessId()));
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_StopMonitoringProcess(GetCurrentProcessId()));
  EXCEPTION_RECORD record = {};
  CONTEXT context = {};
  EXCEPTION_POINTERS pointers = {&record, &context};
  EXPECT_EQ(E_OUTOFMEMORY, Quorvel_UnmanagedException(&pointers));
  EXPECT_EQ(1, Quorvel_CommonExceptionFilter(&pointers));
  Quorvel_StartTrapBypass();
  Quorvel_EndTrapBypass();
  Quorvel_Shutdown();
  EXPECT_EQ(nullptr, reporterInstance);

  // Once memory is back, the next call creates the reporter as usual.
  failNothrowAllocations = false;
  EXPECT_EQ(static_cast<HRESULT>(0x80040007), Quorvel_AddText(L"%d", 1));
  EXPECT_NE(nullptr, reporterInstance);
  Quorvel_Shutdown();
}

}  // namespace
