#pragma once
#include "errorlist/error_list.h"

// The queued path of VrelQuorvel: stamps the event with the UTC time, appends it to
// the fill queue (waiting at most 2 s for queueMutex, else the event is dropped),
// starts a writer when none runs and wakes it. Null texts are taken as "".
void QueueErrorEvent(CErrorList& list, const wchar_t* id, const wchar_t* info);
