#include "traps/frontstop_registration.h"

#include "reporter.h"
#include "traps/traps.h"

namespace {

SRWLOCK registrationLock = SRWLOCK_INIT;
int threadsBypassing = 0;   // threads whose bypass counter is above 0
bool installed = false;      // between RegisterFrontstop and UnregisterFrontstop

class RegistrationLock {
 public:
  RegistrationLock() { AcquireSRWLockExclusive(&registrationLock); }
  ~RegistrationLock() { ReleaseSRWLockExclusive(&registrationLock); }
  RegistrationLock(const RegistrationLock&) = delete;
  RegistrationLock& operator=(const RegistrationLock&) = delete;
};

void Register(CReporter* reporter) {
  if (installed && threadsBypassing == 0 && reporter->frontstopHandle == nullptr) {
    reporter->frontstopHandle = AddVectoredExceptionHandler(1, FrontstopHandler);
  }
}

void Unregister(CReporter* reporter) {
  if (reporter->frontstopHandle != nullptr) RemoveVectoredExceptionHandler(reporter->frontstopHandle);
  reporter->frontstopHandle = nullptr;
}

}  // namespace

void RegisterFrontstop(CReporter* reporter) {
  RegistrationLock lock;
  installed = true;
  Register(reporter);
}

void UnregisterFrontstop(CReporter* reporter) {
  RegistrationLock lock;
  installed = false;
  Unregister(reporter);
}

void SuspendFrontstop(CReporter* reporter) {
  RegistrationLock lock;
  ++threadsBypassing;
  Unregister(reporter);
}

void ResumeFrontstop(CReporter* reporter) {
  RegistrationLock lock;
  if (threadsBypassing > 0) --threadsBypassing;
  Register(reporter);
}
