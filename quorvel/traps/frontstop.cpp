// The first-chance trap. It sees every exception of the process, including the many
// a host raises and handles itself, so it reports on its own only what the host is
// unlikely to handle: an exception on a thread without handlers of its own, or one
// whose innermost handler belongs to system code that lets it through.
#include <cstdint>

#include "config/config.h"
#include "reporter.h"
#include "traps/handler_chain.h"
#include "traps/rule_match.h"
#include "traps/seh_guard.h"
#include "traps/trap_run.h"
#include "traps/traps.h"

namespace {

// Raised by the system's debugger-output routine, which handles them itself, on any
// thread. Forced, every debug print of a thread with two registration records (its
// own and the routine's) would end the process as a crash; the library prints too.
constexpr DWORD kDebuggerOutput = 0x40010006;
constexpr DWORD kDebuggerOutputWide = 0x4001000A;

bool IsDebuggerOutput(DWORD code) { return code == kDebuggerOutput || code == kDebuggerOutputWide; }

bool InRange(const AddressRange& range, uint32_t address) { return range.low <= address && address < range.high; }

uint32_t AddressValue(const void* address) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address)); }

// Whether the chain's shape alone makes the exception worth a first-chance report.
bool ChainForcesReport(const HandlerChain& chain, const CReporter& reporter, const EXCEPTION_RECORD& record) {
  const uint32_t handler = AddressValue(chain.innermostHandler);
  bool force = chain.innermostHandler == reinterpret_cast<void*>(&QuorvelGuardHandler);
  // Depth 0: only the system's outermost record, nobody on the thread will handle it.
  if (chain.depth == 0 || chain.depth == 2) force = true;
  if (reporter.reportView->initFlag == 0) {
    const AddressRange* ranges = reporter.systemModuleRanges;
    if (InRange(ranges[kRangeRpcrt4], handler) || InRange(ranges[kRangeNtdll], handler) ||
        InRange(ranges[kRangeMsvcrt], handler)) {
      force = true;
    }
    if (chain.depth < 5 && InRange(ranges[kRangeCrtMalloc], handler)) force = true;
    // The RPC runtime raises and handles its own exceptions.
    if (InRange(ranges[kRangeRpcrt4], AddressValue(record.ExceptionAddress))) force = false;
  }
  return force;
}

}  // namespace

bool FrontstopIgnoresCode(DWORD code) {
  return runtimeConfig.stackOverflowOnly && code != static_cast<DWORD>(STATUS_STACK_OVERFLOW);
}

bool FrontstopDecides(const TrapFacts& facts) {
  const EXCEPTION_RECORD& record = *facts.pointers->ExceptionRecord;
  if (FrontstopIgnoresCode(record.ExceptionCode)) return false;
  const CReporter* reporter = reporterInstance;
  if (reporter == nullptr || reporter->reportView == nullptr) return false;
  if (facts.bypassDepth > 0) return false;
  const HandlerChain chain = WalkHandlerChain(facts.chainHead, StackRange{facts.stackLow, facts.stackHigh});
  if (!chain.intact) return false;
  const bool force = !IsDebuggerOutput(record.ExceptionCode) && ChainForcesReport(chain, *reporter, record);
  const int verdict = MatchExceptionRules(facts.pointers, true);
  return verdict == kVerdictIncluded || (verdict == kVerdictNoRule && force);
}

LONG CALLBACK FrontstopHandler(EXCEPTION_POINTERS* pointers) {
  // The cheap exit first: most hosts that set "stackOverflowOnly" raise exceptions
  // of their own by the thousand.
  if (!FrontstopIgnoresCode(pointers->ExceptionRecord->ExceptionCode)) RunTrap(FrontstopDecides, pointers);
  return EXCEPTION_CONTINUE_SEARCH;
}
