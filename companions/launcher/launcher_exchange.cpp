#include "launcher_exchange.h"

#include <cstdio>

#include "report/launcher_pipe.h"

namespace {

constexpr DWORD kTransferTimeoutMs = 10000;
constexpr DWORD kSilentHoldMs = 15000;
constexpr uint32_t kMaxBlock = 65536;

void Record(const LauncherOptions& options, const void* data, DWORD length) {
  if (options.recordPath.empty()) return;
  HANDLE file = CreateFileW(options.recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, data, length, &written, nullptr);
  CloseHandle(file);
}

bool Receive(HANDLE pipe, const LauncherOptions& options, void* data, DWORD length) {
  if (!PipeTransfer(pipe, false, data, length, kTransferTimeoutMs)) return false;
  Record(options, data, length);
  return true;
}

// Keeps the connection open, saying nothing, until the client gives up.
void HoldUntilClientLeaves(HANDLE pipe, DWORD limitMs) {
  char byte = 0;
  PipeTransfer(pipe, false, &byte, 1, limitMs);
}

// Answers reply step 2, 4, 6 or 8; false when the connection is to end here.
bool Answer(HANDLE pipe, const LauncherOptions& options, int step, bool accepted) {
  if (step == options.closeAt) return false;
  if (step == options.silentAt) {
    HoldUntilClientLeaves(pipe, kSilentHoldMs);
    return false;
  }
  LONG status = accepted && options.negativeSteps.count(step) == 0 ? S_OK : E_ACCESSDENIED;
  if (step == options.shortAt) {
    PipeTransfer(pipe, true, &status, 2, kTransferTimeoutMs);
    HoldUntilClientLeaves(pipe, kSilentHoldMs);
    return false;
  }
  return PipeTransfer(pipe, true, &status, sizeof(status), kTransferTimeoutMs);
}

}  // namespace

// The registration as the launcher sees it; every reply is an i32 status:
//   <- u32 process id                      -> status (negative: refused)
//   then any number of blocks, each:
//   <- u8 type, u32 length                 -> status
//      type 1: <- `length` bytes           -> status
//      type 0xFF ends the exchange.
void ServeConnection(HANDLE pipe, const LauncherOptions& options, std::vector<Registration>* registrations) {
  DWORD processId = 0;
  if (!Receive(pipe, options, &processId, sizeof(processId))) return;
  Registration registration;
  bool accepted = !options.refuse && OpenRegistration(processId, options.anyProcess, &registration);
  if (accepted) registrations->push_back(std::move(registration));
  printf("launcher: %s process %lu\n", accepted ? "registered" : "refused", static_cast<unsigned long>(processId));
  fflush(stdout);
  if (!Answer(pipe, options, 2, accepted)) return;
  for (;;) {
    PipeBlockHeader header = {};
    if (!Receive(pipe, options, &header, sizeof(header))) return;
    const bool end = header.type == kPipeBlockEnd;
    if (!Answer(pipe, options, end ? 8 : 4, accepted)) return;
    if (end) {
      // Disconnecting drops whatever the client has not read yet, and this last
      // status is what tells it whether the launcher is in use: wait for it to
      // hang up first.
      HoldUntilClientLeaves(pipe, kTransferTimeoutMs);
      return;
    }
    if (header.length > kMaxBlock) return;
    std::vector<uint8_t> block(header.length);
    if (header.length != 0 && !Receive(pipe, options, block.data(), header.length)) return;
    if (!Answer(pipe, options, 6, accepted)) return;
  }
}
