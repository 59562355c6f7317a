#pragma once
// The error-list writer: a background thread that waits for new events, drains the
// queue that intake is not filling into the list file, and ends by itself after
// about 50 quiet seconds or when stopEvent is set.
#include "errorlist/error_list.h"

// What the writer thread receives; it owns and frees it. self is the thread's own
// handle, handed over by the starter so that the thread whose loop actually runs
// can publish it in writerThread (two starters may race; only one loop runs).
struct ErrorWriterStart {
  CErrorList* list = nullptr;
  HANDLE self = nullptr;
};

// Thread routine (C runtime thread). Returns at once when another writer loop runs.
unsigned __stdcall RunErrorListWriter(void* start);

// Starts a writer thread whatever runs already. False when no thread could start.
bool LaunchErrorWriter(CErrorList& list);

// Starts a writer thread when no writer loop runs.
void StartErrorWriterIfIdle(CErrorList& list);

// One drain pass: appends the drained queue's records to the list file and flips
// fillQueue, all under queueMutex. idle counts passes that found nothing. False
// when the mutex was not acquired and the pass was skipped.
bool RunErrorDrainPass(CErrorList& list, int* idle);
