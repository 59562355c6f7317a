#include "reporter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Arg {
  HANDLE go;
  CReporter* got;
};

DWORD WINAPI FirstCall(void* p) {
  Arg* arg = static_cast<Arg*>(p);
  WaitForSingleObject(arg->go, INFINITE);
  arg->got = GetOrCreateReporter();
  return 0;
}

TEST(GetOrCreateReporter, ConcurrentFirstCallsGetOneReporter) {
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(nullptr, reporterInstance);
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<Arg> args(8, Arg{go, nullptr});
    std::vector<HANDLE> threads;
    for (Arg& a : args) {
      threads.push_back(CreateThread(nullptr, 0, FirstCall, &a, 0, nullptr));
    }
    SetEvent(go);
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, 10000);
    for (HANDLE t : threads) CloseHandle(t);
    CloseHandle(go);
    for (const Arg& a : args) EXPECT_EQ(reporterInstance, a.got);
    delete reporterInstance;
    EXPECT_EQ(nullptr, reporterInstance);
  }
}

TEST(CReporter, ConstructionFillsTheWaitSlotsAndOptions) {
  CReporter reporter;
  EXPECT_EQ(nullptr, reporter.reportView);
  EXPECT_EQ(INVALID_HANDLE_VALUE, reporter.reportFileHandle);
  EXPECT_EQ(50u, reporter.fileCapacity);
  EXPECT_EQ(65536u, reporter.logSize);
  EXPECT_NE(nullptr, reporter.waitHandles[kSlotMonitorStop]);
  EXPECT_NE(nullptr, reporter.waitHandles[kSlotRunClient]);
  EXPECT_EQ(reporter.parentPlaceholderEvent, reporter.waitHandles[kSlotParent]);
  EXPECT_EQ(reporter.deadlockPlaceholderEvent, reporter.waitHandles[kSlotDeadlock]);
  EXPECT_NE(nullptr, reporter.clientDoneEvent);
  for (int slot = kSlotFirstWatched; slot < kWaitSlotCount; ++slot) EXPECT_EQ(nullptr, reporter.waitHandles[slot]);
  EXPECT_NE(nullptr, addContinueHandler);
  EXPECT_NE(nullptr, removeContinueHandler);
  const uint8_t* options = reinterpret_cast<const uint8_t*>(&reporter.optionsBlock);
  for (size_t i = 0; i < sizeof(OptionsBlock); ++i) ASSERT_EQ(0, options[i]);
  // Not the published reporter: destroying it leaves reporterInstance alone.
  EXPECT_EQ(nullptr, reporterInstance);
}

}  // namespace
