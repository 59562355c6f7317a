// One first-chance exception that the host raises and handles itself (its own frame
// handler dismisses it), without the traps and with the frontstop in place, side by
// side in one run:
//   - no traps;
//   - "stackOverflowOnly": the frontstop's early exit;
//   - the full path: trap gate, guard, chain walk (one record of the host's, and 32),
//     rules without a module;
//   - the full path with a rule naming a module: one module lookup per exception.
// The reporter looks initialized to the traps (its view is ordinary memory, as in the
// unit tests); nothing here is reported. Prints per-exception times and their ratio
// to "no traps" (the median of several rounds, each timing every variant in turn).
//   bench_traps [exceptions per round, default 10000] [rounds, default 25]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "config/config.h"
#include "reporter.h"
#include "traps/module_name.h"
#include "traps/thread_block.h"

namespace {

constexpr DWORD kHostCode = 0xE0000001;
constexpr int kDeepChain = 32;

EXCEPTION_DISPOSITION __cdecl HostDismisses(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) == 0 &&
      record->ExceptionCode == kHostCode) {
    return ExceptionContinueExecution;
  }
  return ExceptionContinueSearch;
}

EXCEPTION_DISPOSITION __cdecl HostPassesOn(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
  return ExceptionContinueSearch;
}

void Push(EXCEPTION_REGISTRATION_RECORD& record, EXCEPTION_DISPOSITION(__cdecl* handler)(EXCEPTION_RECORD*, void*,
                                                                                          CONTEXT*, void*)) {
  record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(handler);
  record.Next = CurrentThreadBlock()->ExceptionList;
  CurrentThreadBlock()->ExceptionList = &record;
}

void Pop(EXCEPTION_REGISTRATION_RECORD& record) { CurrentThreadBlock()->ExceptionList = record.Next; }

// The host's own pattern: a frame handler around code that raises.
void RaiseAndHandle() {
  EXCEPTION_REGISTRATION_RECORD record;
  Push(record, HostDismisses);
  RaiseException(kHostCode, 0, 0, nullptr);
  Pop(record);
}

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Variant {
  const char* name;
  bool traps;
  bool stackOverflowOnly;
  int outerRecords;  // pass-on records of the host's below the one that handles
  bool moduleRule;
  std::vector<double> perException;
};

double TimeOne(CReporter& reporter, Variant& variant, int exceptions) {
  runtimeConfig.stackOverflowOnly = variant.stackOverflowOnly;
  runtimeConfig.rules.clear();
  if (variant.moduleRule) {
    ExceptionRule rule;
    rule.firstCode = rule.lastCode = kHostCode;
    rule.module = L"nosuchmodule";  // looked up, never matches: nothing is reported
    rule.toAddress = 0xFFFFFFFF;
    runtimeConfig.rules.push_back(rule);
  }
  if (variant.traps) reporter.InstallTraps();
  // On the stack, where a host's records are.
  EXCEPTION_REGISTRATION_RECORD outer[kDeepChain];
  for (int i = 0; i < variant.outerRecords; ++i) Push(outer[i], HostPassesOn);
  const double start = Seconds();
  for (int i = 0; i < exceptions; ++i) RaiseAndHandle();
  const double elapsed = Seconds() - start;
  for (int i = variant.outerRecords - 1; i >= 0; --i) Pop(outer[i]);
  if (variant.traps) reporter.RemoveTraps();
  return elapsed / exceptions;
}

// The pieces the full path may call, alone, for the closing figures.
double TimeQuery(int calls) {
  MEMORY_BASIC_INFORMATION region;
  const double start = Seconds();
  for (int i = 0; i < calls; ++i) VirtualQueryEx(GetCurrentProcess(), &region, &region, sizeof(region));
  return (Seconds() - start) / calls;
}

double TimeModuleLookup(int calls) {
  const double start = Seconds();
  for (int i = 0; i < calls; ++i) {
    wchar_t name[260] = L"";
    GetAddressModuleName(reinterpret_cast<const void*>(&RaiseException), name, 260, true, nullptr);
  }
  return (Seconds() - start) / calls;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int exceptions = argc > 1 ? atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? atoi(argv[2]) : 25;

  runtimeConfig.frontstopTrapper = true;
  runtimeConfig.backstopTrapper = false;
  runtimeConfig.unhandledTrapper = false;
  std::vector<uint8_t> view(sizeof(ReportFile), 0);
  CReporter* reporter = GetOrCreateReporter();
  reporter->reportView = reinterpret_cast<ReportFile*>(view.data());

  Variant variants[] = {
      {"no traps", false, false, 0, false, {}},
      {"frontstop, stackOverflowOnly (early exit)", true, true, 0, false, {}},
      {"frontstop, full path, chain of 2 records", true, false, 0, false, {}},
      {"frontstop, full path, chain of 34 records", true, false, kDeepChain, false, {}},
      {"frontstop, full path, rule naming a module", true, false, 0, true, {}},
  };
  std::vector<double> query, lookup;
  for (int round = 0; round < rounds; ++round) {
    // Each round starts with another variant, so that no variant always runs first.
    const int count = static_cast<int>(sizeof(variants) / sizeof(variants[0]));
    for (int i = 0; i < count; ++i) {
      Variant& variant = variants[(round + i) % count];
      variant.perException.push_back(TimeOne(*reporter, variant, exceptions));
    }
    query.push_back(TimeQuery(exceptions));
    lookup.push_back(TimeModuleLookup(exceptions));
  }

  printf("One first-chance exception the host handles itself (%d per round, median of %d rounds):\n", exceptions,
         rounds);
  const double baseline = Median(variants[0].perException);
  for (Variant& variant : variants) {
    const double median = Median(variant.perException);
    printf("  %-45s %8.2f us   x%.2f\n", variant.name, median * 1e6, median / baseline);
  }
  printf("For comparison, alone:\n");
  printf("  %-45s %8.2f us\n", "VirtualQueryEx", Median(query) * 1e6);
  printf("  %-45s %8.2f us\n", "module lookup (query and module file name)", Median(lookup) * 1e6);
  printf("(what dominates: the system's exception dispatch; on the full path one memory query when\n"
         " a registration record lies off the thread's stack; with a rule naming a module, its lookup)\n");

  reporter->reportView = nullptr;
  delete reporter;
  return 0;
}
