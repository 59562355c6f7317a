#pragma once
#include "virus/virus_list.h"

// Moves the whole counts table into the virus-list file at listPath:
//   <virlist cid="IDENTIFIER">
//   <vir name="NAME" md5="MD5" num="N"/>     one line per entry, in table order
//   </virlist>
// every line ended by CR LF, in the thread's ANSI code page. Returns 0 when the file
// was written (the table is then empty), 1 when the lock was not had, the table was
// empty or the file could not be created (nothing changed).
int WriteVirusList(CVirusList& list);
