#pragma once
#include "virus/virus_list.h"
#include "virus/virus_record.h"

// Appends a copy of the record to the fill queue (dropped when queueMutex is not had
// within 2000 ms or the queue cannot grow), makes sure a worker runs, and wakes it.
void QueueVirusRecord(CVirusList& list, const VirusRecord& record);
