// Prints, side by side from one run:
//  1. the cost of one VrelReportVirusInfoWithMD5 call on the real Brennic.dll
//     (escape, convert, cut, queue, wake the worker), against the cost of its
//     escaping and conversion alone, and of the intake with no worker awake;
//  2. the worker's merge throughput for 100,000 detections spread over 10, 1,000
//     and 10,000 distinct names, and how it grows with the table.
// Times are the best of a few rounds, so that other load on the machine shows
// as little as possible.
#include <windows.h>

#include "../common/bench_clock.h"

#include <cstdio>
#include <string>
#include <vector>

#include "virus/virus_counts.h"
#include "test_support.h"
#include "virus/virus_lifecycle.h"
#include "virus/virus_list.h"
#include "virus/virus_queue.h"
#include "virus/virus_record.h"
#include "virus/virus_worker.h"

namespace {

std::wstring NameOf(int i) {
  wchar_t name[64];
  _snwprintf(name, 64, L"Trojan.Win32.Agent<%d>&variant", i);
  name[63] = 0;
  return name;
}

const wchar_t kPath[] = L"C:\\Users\\scan\\Downloads\\setup & tools\\installer-\"full\".exe";
const wchar_t kDigest[] = L"0123456789abcdef0123456789abcdef";

// Nanoseconds per call of the text work alone.
double TextWorkNs(const std::vector<std::wstring>& names, int calls) {
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    double start = BenchSeconds();
    unsigned sink = 0;
    for (int i = 0; i < calls; ++i) {
      VirusRecord record = MakeVirusRecord(names[i % names.size()].c_str(), kPath, kDigest);
      sink += static_cast<unsigned char>(record.name[3]);
    }
    double took = BenchSeconds() - start;
    if (sink == 1) std::printf(" ");
    if (took < best) best = took;
  }
  return best * 1e9 / calls;
}

typedef int(__stdcall* ReportMd5Function)(const wchar_t*, const wchar_t*, const wchar_t*);

// Nanoseconds per call of the DLL's export, its worker draining beside the calls as
// in any host. The installation folder is a temporary one.
double ExportNs(const std::wstring& folder, const std::vector<std::wstring>& names, int calls) {
  SetEnvironmentVariableW(L"VRELINSTALL_FOLDER", folder.c_str());
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dll(exe);
  dll = dll.substr(0, dll.rfind(L'\\') + 1) + L"Brennic.dll";
  HMODULE brennic = LoadLibraryW(dll.c_str());
  FARPROC address = brennic ? GetProcAddress(brennic, "VrelReportVirusInfoWithMD5") : nullptr;
  if (address == nullptr) {
    std::printf("Brennic.dll or its export is missing\n");
    return 0;
  }
  auto report = reinterpret_cast<ReportMd5Function>(reinterpret_cast<void*>(address));
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    double start = BenchSeconds();
    for (int i = 0; i < calls; ++i) report(names[i % names.size()].c_str(), kPath, kDigest);
    double took = BenchSeconds() - start;
    if (took < best) best = took;
  }
  FreeLibrary(brennic);
  return best * 1e9 / calls;
}

// Nanoseconds per detection taken in. With `worker` the worker drains beside the
// calls as it would in a host; without, the flag is held so that none starts, and
// what is left is the lock, the append and the wake-up alone.
double IntakeNs(CVirusList& list, const std::vector<std::wstring>& names, int calls, bool worker) {
  if (!worker) list.workerRunning = 1;
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    double start = BenchSeconds();
    for (int i = 0; i < calls; ++i) {
      QueueVirusRecord(list, MakeVirusRecord(names[i % names.size()].c_str(), kPath, kDigest));
    }
    double took = BenchSeconds() - start;
    if (took < best) best = took;
  }
  if (!worker) {
    DrainAllQueues(list);
    list.workerRunning = 0;
  }
  return best * 1e9 / calls;
}

// Seconds for one worker pass over `detections` records cycling through `distinct`
// names, into an empty table: the merge a worker runs under the queue lock.
double MergeSeconds(int detections, int distinct) {
  std::vector<VirusRecord> records;
  records.reserve(detections);
  std::vector<VirusRecord> names;
  for (int i = 0; i < distinct; ++i) names.push_back(MakeVirusRecord(NameOf(i).c_str(), kPath, kDigest));
  for (int i = 0; i < detections; ++i) records.push_back(names[i % distinct]);
  double best = 1e30;
  int rounds = distinct <= 1000 ? 3 : 1;
  for (int round = 0; round < rounds; ++round) {
    VirusTable table;
    double start = BenchSeconds();
    MergeRecords(table, records.data(), records.size());
    double took = BenchSeconds() - start;
    if (table.size() != static_cast<size_t>(distinct)) std::printf("unexpected table size\n");
    if (took < best) best = took;
  }
  return best;
}

}  // namespace

int main() {
  std::vector<std::wstring> names;
  for (int i = 0; i < 100; ++i) names.push_back(NameOf(i));

  testing_support::TempDir temp;  // the installation folder
  std::wstring folder = temp.path() + L"\\";
  CreateDirectoryW((folder + L"Data").c_str(), nullptr);
  CVirusList list;
  AttachVirusList(list, folder + L"Data\\VrelVirus", L"\\bench.exe");
  const int calls = 5000;
  double text = TextWorkNs(names, calls);
  double queueOnly = IntakeNs(list, names, calls, false);
  double intake = IntakeNs(list, names, calls, true);
  DetachVirusList(list);
  double exported = ExportNs(folder, names, calls);

  std::printf("Intake (VrelReportVirusInfoWithMD5 path), %d calls, best of 3 rounds\n", calls);
  std::printf("  escaping and conversion alone       : %9.0f ns per call\n", text);
  std::printf("  whole intake, no worker awake       : %9.0f ns per call  (%.1fx the text work)\n", queueOnly,
              queueOnly / text);
  std::printf("  whole intake, worker draining beside: %9.0f ns per call  (%.1fx the text work)\n", intake,
              intake / text);
  std::printf("  the DLL's export, worker beside     : %9.0f ns per call  (%.1fx the text work)\n\n", exported,
              exported / text);

  const int detections = 100000;
  const int sizes[] = {10, 1000, 10000};
  double seconds[3];
  for (int i = 0; i < 3; ++i) seconds[i] = MergeSeconds(detections, sizes[i]);
  std::printf("Worker merge of %d detections into an empty table, best of 3 rounds (1 for 10,000 names)\n", detections);
  std::printf("  %8s %12s %16s %14s %18s\n", "names", "ms", "detections/s", "ns/detection", "vs 10 names");
  for (int i = 0; i < 3; ++i) {
    std::printf("  %8d %12.1f %16.0f %14.0f %17.1fx\n", sizes[i], seconds[i] * 1e3, detections / seconds[i],
                seconds[i] * 1e9 / detections, seconds[i] / seconds[0]);
  }
  std::printf("  growth 1,000 -> 10,000 names: %.1fx the time for 10x the table\n", seconds[2] / seconds[1]);
  return 0;
}
