// Trap bypasses opened and closed on several threads, against the real frontstop
// registration. No reporter is published: a trap that runs stays silent.
#include <gtest/gtest.h>

#include <functional>

#include "traps/thread_value.h"
#include "traps/trap_bypass.h"
#include "trap_fixture.h"

namespace {

// A thread that runs the steps it is given, one at a time, while the test waits.
class Worker {
 public:
  Worker() : go_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), done_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, Loop, this, 0, nullptr);
  }
  ~Worker() {
    Run(nullptr);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(go_);
    CloseHandle(done_);
  }
  void Run(std::function<void()> step) {
    step_ = std::move(step);
    SetEvent(go_);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done_, 10000));
  }
  int32_t Depth() {
    int32_t depth = 0;
    Run([&] { depth = trapBypassDepth.Get(); });
    return depth;
  }

 private:
  static DWORD WINAPI Loop(void* self) {
    Worker* worker = static_cast<Worker*>(self);
    for (;;) {
      WaitForSingleObject(worker->go_, INFINITE);
      std::function<void()> step = worker->step_;
      if (step) step();
      SetEvent(worker->done_);
      if (!step) return 0;
    }
  }
  HANDLE go_, done_, thread_;
  std::function<void()> step_;
};

class BypassTest : public TrapTest {
 protected:
  void Start(Worker& worker) { worker.Run([this] { StartTrapBypass(reporter_); }); }
  void End(Worker& worker) { worker.Run([this] { EndTrapBypass(reporter_); }); }
  bool Registered() const { return reporter_->frontstopHandle != nullptr; }
};

// Each thread's first start would unregister the shared handle and each thread's
// last end register a new one: with overlapping bypasses the first end would leave
// a registration that nothing removes.
TEST_F(BypassTest, OverlappingBypassesOnTwoThreadsKeepOneRegistration) {
  reporter_->InstallTraps();
  ASSERT_TRUE(Registered());
  Worker a, b;
  Start(a);
  EXPECT_FALSE(Registered());
  Start(b);
  End(a);
  EXPECT_FALSE(Registered()) << "b is still inside its bypass";
  End(b);
  ASSERT_TRUE(Registered());
  PVOID handle = reporter_->frontstopHandle;
  reporter_->RemoveTraps();
  EXPECT_EQ(0u, RemoveVectoredExceptionHandler(handle));
}

TEST_F(BypassTest, TwoStartsAndOneEndLeaveTheThreadBypassed) {
  reporter_->InstallTraps();
  Worker a;
  Start(a);
  Start(a);
  End(a);
  EXPECT_EQ(1, a.Depth());
  EXPECT_FALSE(Registered());
  End(a);
  EXPECT_EQ(0, a.Depth());
  EXPECT_TRUE(Registered());
}

TEST_F(BypassTest, UnbalancedEndTakesTheCounterBelowZeroAndRegistersNothingNew) {
  reporter_->InstallTraps();
  PVOID handle = reporter_->frontstopHandle;
  Worker a;
  End(a);
  EXPECT_EQ(-1, a.Depth());
  EXPECT_EQ(handle, reporter_->frontstopHandle);
  Start(a);
  EXPECT_EQ(0, a.Depth());
  EXPECT_EQ(handle, reporter_->frontstopHandle);
  Start(a);
  EXPECT_FALSE(Registered());
  End(a);
  EXPECT_TRUE(Registered());
}

TEST_F(BypassTest, BeforeInitializationNothingCounts) {
  reporter_->reportView = nullptr;
  Worker a;
  Start(a);
  EXPECT_EQ(0, a.Depth());
  End(a);
  EXPECT_EQ(0, a.Depth());
}

// After the initialization without traps, or once the traps are removed, a bypass
// must not put a frontstop in place that no removal would take out again.
TEST_F(BypassTest, NoRegistrationWithoutInstalledTraps) {
  Worker a;
  Start(a);
  End(a);
  EXPECT_FALSE(Registered());

  reporter_->InstallTraps();
  Start(a);
  reporter_->RemoveTraps();
  End(a);
  EXPECT_FALSE(Registered());
  EXPECT_EQ(0, a.Depth());
}

}  // namespace
