#include "traps/rule_match.h"

#include "config/config.h"
#include "traps/module_name.h"

namespace {
constexpr size_t kModuleNameCapacity = 260;

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The comparison _wcsicmp makes in the "C" locale, which the library never leaves.
// The C runtime's own sets up its per-thread data on a thread's first call, from
// the process heap: the traps run on threads that may never have called it.
bool EqualIgnoringCase(const wchar_t* a, const wchar_t* b) {
  for (; *a != L'\0' || *b != L'\0'; ++a, ++b) {
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  }
  return true;
}
}  // namespace

int MatchExceptionRules(const EXCEPTION_POINTERS* pointers, bool frontSide) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  const uint32_t code = record->ExceptionCode;
  const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record->ExceptionAddress));
  wchar_t moduleName[kModuleNameCapacity];
  moduleName[0] = L'\0';
  int verdict = kVerdictNoRule;
  for (const ExceptionRule& rule : runtimeConfig.rules) {
    if (frontSide && rule.where == WhereBack) continue;
    if (code < rule.firstCode || code > rule.lastCode) continue;
    if (rule.module.empty() || rule.module[0] != L'*') {
      GetAddressModuleName(record->ExceptionAddress, moduleName, kModuleNameCapacity, true, nullptr);
      if (!EqualIgnoringCase(rule.module.c_str(), moduleName)) continue;
    }
    if (address < rule.fromAddress || address > rule.toAddress) continue;
    verdict = rule.exclude ? kVerdictExcluded : kVerdictIncluded;
  }
  return verdict;
}
