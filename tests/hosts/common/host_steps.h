#pragma once
// Steps every Quorvel test host understands, so that a test can start any of them
// the same way. Each prints one line, "<step> 0x<result>".
#include <string>

void PrintStep(const std::wstring& step, unsigned long value);

// coinit                      CoInitializeEx, apartment-threaded
// init:F                      Quorvel_Initialize(F)          (F decimal or 0x hex)
// initopt:F:V[:text]          Quorvel_InitializeWithOptions(F, V, text or null)
// initnc:F[:folder]           Quorvel_InitializeNoCrash(F, folder; default the host's own)
// initncnull:F                Quorvel_InitializeNoCrash(F, null)
// shutdown                    Quorvel_Shutdown
// Returns false, doing nothing, for any other step.
bool RunCommonStep(const std::wstring& step);

// The host program's own folder, without a trailing backslash.
std::wstring OwnFolder();
