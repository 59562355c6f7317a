#pragma once
// Runs the crashing host in a folder of its own and collects what it left: its
// output, its exit code and its report file, read at literal offsets.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exports/host_folder.h"
#include "test_support.h"

// Offsets in the report file.
namespace offsets {
constexpr size_t kInitFlag = 9, kReportKind = 2412, kExceptionCode = 2416, kExceptionAddress = 2424,
                 kNumberParameters = 2432, kExceptionInformation = 2440, kEFlags = 2464, kEip = 2472, kEax = 2480,
                 kEbx = 2488, kEcx = 2496, kEdx = 2504, kEsi = 2512, kEdi = 2520, kEbp = 2528, kEsp = 2536,
                 kExceptionPointers = 2608, kThreadId = 2616, kFaultModulePath = 2620, kFaultModuleBase = 3144;
}

constexpr DWORD kRanToTheEnd = 7;  // the host's exit code when no fault ended it

struct CrashRun {
  testing_support::ChildResult child;
  std::vector<uint8_t> report;  // the report file as the process left it; empty if none
  std::wstring hostPath;        // full path of the host program
  std::vector<std::string> clientRuns;  // command lines the client was started with
  bool realClient = false;
  std::string clientText;               // the real client's text rendering of the report

  // The value the host printed for a step, or 0xFFFFFFFF.
  unsigned long Printed(const std::string& step) const { return StepResult(child.output, step); }
  // Every value printed for the step, in order (several threads print "thread").
  std::vector<unsigned long> AllPrinted(const std::string& step) const;
  uint32_t U32(size_t offset) const { return testing_support::U32At(report, offset); }
  uint64_t U64(size_t offset) const { return testing_support::U64At(report, offset); }
  std::wstring Text(size_t offset, size_t capacity) const { return testing_support::WideAt(report, offset, capacity); }
};

// A configuration that reports straight to the client, with the given settings and
// rule lists added under "runtime".
std::string CrashConfig(const std::string& extra = "");

// Which user-interface program the report is handed to. The real client decodes the
// report and writes a minidump of the live process, which takes Wine about four
// seconds; a stand-in that ends at once serves where only the file is looked at.
enum class Client { kReal, kStandIn };

// Lays out the host, Quorvel.dll, the client and the configuration, runs the host
// with the steps, and removes the report file and the client's output afterwards.
CrashRun RunCrashHost(const std::string& config, const std::wstring& steps, Client client = Client::kStandIn,
                      DWORD timeoutMs = 30000);
