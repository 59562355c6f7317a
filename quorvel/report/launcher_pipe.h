#pragma once
// The client end of the launcher's pipe "\\.\pipe\LaunchServerPipe".
#include <windows.h>

#include <cstdint>

constexpr wchar_t kLauncherPipeName[] = L"\\\\.\\pipe\\LaunchServerPipe";
constexpr DWORD kPipeWaitMs = 5000;          // one WaitNamedPipeW
constexpr DWORD kPipeRetryPauseMs = 100;     // after no instance or a busy pipe
constexpr int kPipeAttempts = 100;
// One write or one 4-byte reply. A launcher that stops reading or answering must
// not hold initialization for ever.
constexpr DWORD kPipeTransferTimeoutMs = 5000;

#pragma pack(push, 1)
// Announces the next block: type 1 (options block follows) or 0xFF (end).
struct PipeBlockHeader {
  uint8_t type;
  uint32_t length;
};
#pragma pack(pop)
static_assert(sizeof(PipeBlockHeader) == 5, "the header is 5 bytes on the wire");
constexpr uint8_t kPipeBlockOptions = 1;
constexpr uint8_t kPipeBlockEnd = 0xFF;

// One transfer on a pipe opened for overlapped I/O (either end) that gives up
// after timeoutMs. True when all `length` bytes moved; else false with the last
// error set (WAIT_TIMEOUT for a peer that stopped, ERROR_INVALID_DATA for a short
// transfer).
bool PipeTransfer(HANDLE pipe, bool write, void* data, DWORD length, DWORD timeoutMs);

// Connects to the launcher's pipe, retrying while no instance exists yet or all are
// busy. Returns 0 with *pipeOut open (overlapped, so transfers can time out),
// 0x80070102 after the last attempt, or the failure of the wait or the open.
HRESULT ConnectLauncherPipe(HANDLE* pipeOut);

// Writes one block and reads the launcher's 4-byte status into *replyOut (preset
// to E_FAIL). Returns 0 for a status of 0 or above, 1 for a negative status, or a
// failure when the write or the read fails, moves fewer bytes than asked or runs
// out of time.
HRESULT WritePipeBlock(HANDLE pipe, const void* data, DWORD length, LONG* replyOut);
