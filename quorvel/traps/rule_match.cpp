#include "traps/rule_match.h"

#include <cwchar>

#include "config/config.h"
#include "traps/module_name.h"

namespace {
constexpr size_t kModuleNameCapacity = 260;
}

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
      if (_wcsicmp(rule.module.c_str(), moduleName) != 0) continue;
    }
    if (address < rule.fromAddress || address > rule.toAddress) continue;
    verdict = rule.exclude ? kVerdictExcluded : kVerdictIncluded;
  }
  return verdict;
}
