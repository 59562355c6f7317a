#include "traps/rule_match.h"

#include <gtest/gtest.h>

#include <vector>

#include "trap_fixture.h"

namespace {

constexpr DWORD kAccessViolation = 0xC0000005;

uintptr_t InKernel32() { return reinterpret_cast<uintptr_t>(&GetTickCount); }
constexpr uintptr_t kOutsideEveryModule = 0x10;

struct VerdictCase {
  const char* what;
  std::vector<ExceptionRule> rules;
  DWORD code;
  uintptr_t address;
  int front;  // verdict for the frontstop
  int back;   // verdict for the backstop and the unhandled trap
};

class MatchExceptionRulesTest : public TrapTest {};

TEST_F(MatchExceptionRulesTest, VerdictTable) {
  const uintptr_t kernel32 = InKernel32();
  const uint32_t kernel32Address = static_cast<uint32_t>(kernel32);
  const VerdictCase cases[] = {
      {"no rules", {}, kAccessViolation, kernel32, 0, 0},
      {"include", {Rule(false, kAccessViolation, kAccessViolation)}, kAccessViolation, kernel32, 1, 1},
      {"exclude", {Rule(true, kAccessViolation, kAccessViolation)}, kAccessViolation, kernel32, -1, -1},
      {"exclude then include for the same code: the include rule comes later and decides",
       {Rule(true, kAccessViolation, kAccessViolation), Rule(false, kAccessViolation, kAccessViolation)},
       kAccessViolation, kernel32, 1, 1},
      {"exclude only matches, include is for another code",
       {Rule(true, kAccessViolation, kAccessViolation), Rule(false, 0xC0000094, 0xC0000094)}, kAccessViolation,
       kernel32, -1, -1},
      {"where front is seen by every trap", {Rule(false, kAccessViolation, kAccessViolation, WhereFront)},
       kAccessViolation, kernel32, 1, 1},
      {"where back is not seen by the frontstop", {Rule(false, kAccessViolation, kAccessViolation, WhereBack)},
       kAccessViolation, kernel32, 0, 1},
      {"where both", {Rule(true, kAccessViolation, kAccessViolation, WhereBoth)}, kAccessViolation, kernel32, -1,
       -1},
      {"a back-only exclude leaves the front's include standing",
       {Rule(true, kAccessViolation, kAccessViolation, WhereBack),
        Rule(false, kAccessViolation, kAccessViolation, WhereFront)},
       kAccessViolation, kernel32, 1, 1},
      {"code range, lowest code", {Rule(false, 0xC0000094, 0xC0000096)}, 0xC0000094, kernel32, 1, 1},
      {"code range, highest code", {Rule(false, 0xC0000094, 0xC0000096)}, 0xC0000096, kernel32, 1, 1},
      {"code range, one above", {Rule(false, 0xC0000094, 0xC0000096)}, 0xC0000097, kernel32, 0, 0},
      {"code range, one below", {Rule(false, 0xC0000094, 0xC0000096)}, 0xC0000093, kernel32, 0, 0},
      {"codes compare unsigned", {Rule(false, 0x00000001, 0x7FFFFFFF)}, kAccessViolation, kernel32, 0, 0},
      {"last below first never matches", {Rule(false, 0xC0000096, 0xC0000094)}, 0xC0000095, kernel32, 0, 0},
      {"module kernel32 matches an address in kernel32, whatever the case of its file",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"KERNEL32")}, kAccessViolation, kernel32, 1, 1},
      {"module kernel32.dll never matches: the extension is cut before comparing",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"kernel32.dll")}, kAccessViolation, kernel32, 0,
       0},
      {"another module's name does not match",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"ntdll")}, kAccessViolation, kernel32, 0, 0},
      {"* matches inside a module", {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"*")},
       kAccessViolation, kernel32, 1, 1},
      {"*anything matches outside every module",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"*plugin")}, kAccessViolation,
       kOutsideEveryModule, 1, 1},
      {"empty module matches outside every module",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"")}, kAccessViolation, kOutsideEveryModule, 1,
       1},
      {"empty module does not match inside a module",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"")}, kAccessViolation, kernel32, 0, 0},
      {"a named module does not match outside every module",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"kernel32")}, kAccessViolation,
       kOutsideEveryModule, 0, 0},
      {"from and to are absolute: a module-relative range matches nothing in a module loaded higher",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"kernel32", 0x1000, 0x2000)}, kAccessViolation,
       kernel32, 0, 0},
      {"absolute range around the address",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"kernel32", kernel32Address,
             kernel32Address)},
       kAccessViolation, kernel32, 1, 1},
      {"range ends just below the address",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"*", 0, kernel32Address - 1)},
       kAccessViolation, kernel32, 0, 0},
      {"addresses compare unsigned",
       {Rule(false, kAccessViolation, kAccessViolation, WhereBoth, L"*", 0x80000000, 0xFFFFFFFF)},
       kAccessViolation, 0x80001234, 1, 1},
  };
  for (const VerdictCase& c : cases) {
    runtimeConfig.rules = c.rules;
    BuiltException exception(c.code, c.address);
    EXPECT_EQ(c.front, MatchExceptionRules(exception.pointers(), true)) << c.what;
    EXPECT_EQ(c.back, MatchExceptionRules(exception.pointers(), false)) << c.what;
  }
}

}  // namespace
