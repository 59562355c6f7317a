#pragma once
class CReporter;

// The frontstop's registration is one for the whole process, while bypasses are
// opened and closed by each thread on its own and the traps may be removed while a
// bypass is open. Under one lock these keep exactly one registration while the
// traps are installed and no thread is inside a bypass, and none otherwise, so no
// registration is left behind for nobody to remove.
void RegisterFrontstop(CReporter* reporter);    // the traps are installed
void UnregisterFrontstop(CReporter* reporter);  // the traps are removed
void SuspendFrontstop(CReporter* reporter);     // a thread entered its first bypass
void ResumeFrontstop(CReporter* reporter);      // a thread left its last bypass
