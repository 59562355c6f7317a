#pragma once
// Sending error events through the upload module, as reports of type "RunState".
#include "errorlist/error_list.h"

// One event at once (VrelQuorvel with sendNow): its id and info as HV_ErrorID and
// HV_Info, with the report archive attached when the packing program ends within
// 60 s. No file is deleted. Returns 1.
int SendErrorRecord(ErrorRecord record);

// This process's list (DealWithList bit 0): HV_ErrorID "0", and either the list file
// itself (archive 0) or the report archive (archive non-zero, no time limit), as
// HV_Info and attachment. The list file is deleted after the report was released,
// in both cases; without the module or a report object nothing is sent or deleted.
// Asks the writer to stop first, without waiting. Returns 1.
int SendErrorList(CErrorList& list, int archive);

// The errortime command: moves every list file of the product's executables into
// the staging folder and sends the report archive through SendErrorList. A file
// that cannot be copied there stays where it is for the next run. Nothing is sent
// when there is no list file. Returns 1.
int SendStoredErrorLists(CErrorList& list);
