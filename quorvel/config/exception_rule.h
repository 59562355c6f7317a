#pragma once
#include <cstdint>
#include <string>

// Which traps a rule serves.
enum RuleWhere : int32_t { WhereFront = 0, WhereBack = 1, WhereBoth = 2 };

constexpr size_t kRuleModuleCapacity = 50;  // characters, with the terminator

// One entry of the include or exclude list. Ranges are inclusive at both ends.
struct ExceptionRule {
  bool exclude = false;
  int32_t where = WhereBoth;
  uint32_t firstCode = 0;
  uint32_t lastCode = 0;
  std::wstring module;  // base name; "*..." stands for any module
  uint32_t fromAddress = 0;
  uint32_t toAddress = 0;
};
