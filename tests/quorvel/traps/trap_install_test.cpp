// Installing and removing the traps, in this process, with the real registrations.
// No reporter is published here: a trap that runs finds none and stays silent.
#include <gtest/gtest.h>

#include "traps/traps.h"
#include "trap_fixture.h"

namespace {

LONG WINAPI FilterBefore(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
LONG WINAPI HostFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

LPTOP_LEVEL_EXCEPTION_FILTER CurrentFilter() {
  LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(current);
  return current;
}

class TrapInstallTest : public TrapTest {
 protected:
  void SetUp() override {
    TrapTest::SetUp();
    original_ = SetUnhandledExceptionFilter(FilterBefore);
  }
  void TearDown() override {
    TrapTest::TearDown();
    SetUnhandledExceptionFilter(original_);
  }
  LPTOP_LEVEL_EXCEPTION_FILTER original_ = nullptr;
};

TEST_F(TrapInstallTest, InstallRegistersWhatTheSettingsAskAndRemovalTakesItOut) {
  const struct {
    bool front, back, unhandled;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "front " << c.front << " back " << c.back << " unhandled " << c.unhandled);
    runtimeConfig.frontstopTrapper = c.front;
    runtimeConfig.backstopTrapper = c.back;
    runtimeConfig.unhandledTrapper = c.unhandled;
    CReporter reporter;
    reporter.InstallTraps();
    EXPECT_TRUE(reporter.trapsInstalled);
    EXPECT_EQ(c.front, reporter.frontstopHandle != nullptr);
    EXPECT_EQ(c.back, reporter.backstopHandle != nullptr);
    EXPECT_EQ(c.unhandled ? UnhandledFilter : FilterBefore, CurrentFilter());
    EXPECT_EQ(c.unhandled ? FilterBefore : nullptr, reporter.previousFilter);
    PVOID front = reporter.frontstopHandle;
    PVOID back = reporter.backstopHandle;

    reporter.RemoveTraps();
    EXPECT_EQ(nullptr, reporter.frontstopHandle);
    EXPECT_EQ(nullptr, reporter.backstopHandle);
    EXPECT_EQ(FilterBefore, CurrentFilter());
    // Already unregistered: a second removal by handle finds nothing.
    if (front != nullptr) {
      EXPECT_EQ(0u, RemoveVectoredExceptionHandler(front));
    }
    if (back != nullptr) {
      EXPECT_EQ(0u, removeContinueHandler(back));
    }
    EXPECT_TRUE(reporter.trapsInstalled);
  }
}

TEST_F(TrapInstallTest, AFilterInstalledAfterTheTrapsStaysInPlace) {
  reporter_->InstallTraps();
  SetUnhandledExceptionFilter(HostFilter);
  reporter_->RemoveTraps();
  EXPECT_EQ(HostFilter, CurrentFilter());
  reporter_->RemoveTraps();
  EXPECT_EQ(HostFilter, CurrentFilter());
}

TEST_F(TrapInstallTest, SecondRemovalChangesNothing) {
  reporter_->InstallTraps();
  reporter_->RemoveTraps();
  SetUnhandledExceptionFilter(HostFilter);
  reporter_->RemoveTraps();
  EXPECT_EQ(HostFilter, CurrentFilter());
  EXPECT_EQ(nullptr, reporter_->frontstopHandle);
}

TEST_F(TrapInstallTest, RemovalBeforeInstallDoesNothing) {
  SetUnhandledExceptionFilter(HostFilter);
  reporter_->RemoveTraps();
  EXPECT_EQ(HostFilter, CurrentFilter());
  EXPECT_FALSE(reporter_->trapsInstalled);
}

// A second initialization reads the settings anew while the traps are installed;
// what was registered must still be taken out.
TEST_F(TrapInstallTest, RemovalDoesNotDependOnSettingsReadSinceInstall) {
  reporter_->InstallTraps();
  PVOID front = reporter_->frontstopHandle;
  PVOID back = reporter_->backstopHandle;
  runtimeConfig.frontstopTrapper = false;
  runtimeConfig.backstopTrapper = false;
  runtimeConfig.unhandledTrapper = false;
  reporter_->RemoveTraps();
  EXPECT_EQ(0u, RemoveVectoredExceptionHandler(front));
  EXPECT_EQ(0u, removeContinueHandler(back));
  EXPECT_EQ(FilterBefore, CurrentFilter());
}

}  // namespace
