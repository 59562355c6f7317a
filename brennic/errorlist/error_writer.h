#pragma once
// The error-list writer: a background thread that waits for new events, drains the
// queue that intake is not filling into the list file, and ends by itself after
// about 50 quiet seconds or when stopEvent is set.
#include "errorlist/error_list.h"

// What the writer thread receives; it owns and frees it. claimed: the starter has
// already set writerRunning for this thread (see StartErrorWriterIfIdle).
struct ErrorWriterStart {
  CErrorList* list = nullptr;
  bool claimed = false;
};

// Thread routine (C runtime thread). A thread that was not given the writer role
// takes it itself, or returns at once when another writer loop runs.
unsigned __stdcall RunErrorListWriter(void* start);

// Starts a writer thread unless a writer loop runs or is about to. The starter sets
// writerRunning before the thread exists and stores its handle in writerThread:
// - two intakes that both find no writer cannot start two threads, so writerThread
//   always names the thread whose loop runs, the one unloading must wait for;
// - a thread that has been started but has not run yet (it waits for the loader
//   lock, which the unload step holds) counts as running, so unloading ends it
//   instead of letting it run library code after the library is gone.
// False when a writer runs already or no thread could be started.
bool StartErrorWriterIfIdle(CErrorList& list);

// One drain pass: appends the drained queue's records to the list file and flips
// fillQueue, all under queueMutex. idle counts passes that found nothing. False
// when the mutex was not acquired and the pass was skipped.
bool RunErrorDrainPass(CErrorList& list, int* idle);
