#pragma once
class CReporter;

// Takes reporterLock on the monitor thread without ever blocking on it: while the
// lock is held elsewhere the thread keeps answering its stop event and serving a
// report request that holds the lock and waits for the client (RunClient ends the
// process). Returns true holding the lock; false when the thread is to stop, in
// which case the caller gives up its work (its handle is still signalled for the
// next thread).
bool EnterReporterLockOnMonitor(CReporter& reporter);
