#pragma once
class CReporter;

// Open and close one trap bypass of the calling thread.
void StartTrapBypass(CReporter* reporter);
void EndTrapBypass(CReporter* reporter);
