#pragma once
#include <windows.h>

// Verdicts of the exception rules.
constexpr int kVerdictExcluded = -1;
constexpr int kVerdictNoRule = 0;
constexpr int kVerdictIncluded = 1;

// Evaluates every rule of runtimeConfig against the exception; the last rule that
// matches decides. frontSide: called by the frontstop, which does not see rules
// meant for the back only. Looks up the faulting module only when a rule names one,
// at most once when it finds it. Uses no heap memory.
int MatchExceptionRules(const EXCEPTION_POINTERS* pointers, bool frontSide);
