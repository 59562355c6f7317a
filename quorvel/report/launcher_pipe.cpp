#include "report/launcher_pipe.h"

#include "common/hresult.h"
#include "common/unique_handle.h"
#include "report/start_program.h"

bool PipeTransfer(HANDLE pipe, bool write, void* data, DWORD length, DWORD timeoutMs) {
  UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) return false;
  OVERLAPPED overlapped = {};
  overlapped.hEvent = done.get();
  DWORD moved = 0;
  BOOL ok = write ? WriteFile(pipe, data, length, &moved, &overlapped)
                  : ReadFile(pipe, data, length, &moved, &overlapped);
  if (!ok) {
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(done.get(), timeoutMs) != WAIT_OBJECT_0) {
      CancelIo(pipe);
      GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
      SetLastError(WAIT_TIMEOUT);
      return false;
    }
    if (!GetOverlappedResult(pipe, &overlapped, &moved, FALSE)) return false;
  } else if (!GetOverlappedResult(pipe, &overlapped, &moved, TRUE)) {
    return false;
  }
  if (moved != length) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return true;
}

HRESULT ConnectLauncherPipe(HANDLE* pipeOut) {
  *pipeOut = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < kPipeAttempts; ++attempt) {
    if (!WaitNamedPipeW(kLauncherPipeName, kPipeWaitMs)) {
      DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) {  // a launcher just started has no instance yet
        Sleep(kPipeRetryPauseMs);
        continue;
      }
      if (error == ERROR_SUCCESS) return HResultFromWin32(WAIT_TIMEOUT);
      return HResultFromWin32(static_cast<LONG>(error));
    }
    HANDLE pipe = CreateFileW(kLauncherPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
      *pipeOut = pipe;
      return S_OK;
    }
    if (GetLastError() == ERROR_PIPE_BUSY) {  // another process took the free instance
      Sleep(kPipeRetryPauseMs);
      continue;
    }
    return FailureFromLastError();
  }
  return HResultFromWin32(WAIT_TIMEOUT);
}

// Wire exchange of one block:
//   library -> launcher   `length` bytes of data, one write
//   launcher -> library   i32 status, 4 bytes; negative means refused
HRESULT WritePipeBlock(HANDLE pipe, const void* data, DWORD length, LONG* replyOut) {
  if (pipe == nullptr || pipe == INVALID_HANDLE_VALUE || data == nullptr || length == 0 || replyOut == nullptr) {
    return E_INVALIDARG;
  }
  bool written = PipeTransfer(pipe, true, const_cast<void*>(data), length, kPipeTransferTimeoutMs);
  HRESULT failure = written ? S_OK : FailureFromLastError();
  *replyOut = E_FAIL;
  if (!written) return failure;
  if (!PipeTransfer(pipe, false, replyOut, sizeof(*replyOut), kPipeTransferTimeoutMs)) return FailureFromLastError();
  return *replyOut < 0 ? S_FALSE : S_OK;
}
