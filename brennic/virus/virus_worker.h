#pragma once
// The virus worker: one background thread per process at a time that drains the
// intake queues into the counts table and runs the flush when asked.
//
// Who runs what: intake and DealWithList call EnsureVirusWorker on the host's thread;
// the worker thread runs RunVirusWorker until ten quiet passes or a stop request; the
// unload step stops it and then calls DrainAllQueues itself.
#include <windows.h>

#include "virus/virus_list.h"

// The thread's start record; the thread routine owns it and frees it.
struct VirusWorkerStart {
  CVirusList* list;
  bool claimed;  // the starter already set workerRunning for this loop
};

// Claims workerRunning and starts a worker thread. Returns its handle, or none when
// a worker already runs or the thread cannot be started (the claim is then undone).
HANDLE StartVirusWorker(CVirusList& list);

// Starts a worker unless one runs, and keeps the new thread's handle in workerThread
// so that unloading waits for the thread whose loop actually runs.
void EnsureVirusWorker(CVirusList& list);

// The worker loop. An unclaimed start ends at once when another loop runs.
void RunVirusWorker(const VirusWorkerStart& start);

// One drain pass of the queue intake is not filling, under queueMutex (2000 ms).
// Counts quiet passes in `idle`; a skipped pass (mutex not had) changes nothing.
void DrainPass(CVirusList& list, HANDLE mutex, int& idle);

// Called by a loop that has just cleared workerRunning after its quiet stretch: an
// intake or flush request that still saw the flag set has only signalled its event,
// so the loop takes the work back unless another worker has claimed it meanwhile.
bool ResumeAfterQuietEnd(CVirusList& list);

// Counts everything still queued, older queue first, so unloading loses nothing.
void DrainAllQueues(CVirusList& list);
