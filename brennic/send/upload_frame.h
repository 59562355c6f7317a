#pragma once
// The frame around every send: load Upload.dll, obtain one report object, let the
// caller's steps fill, send and release it, unload the module. Without the module
// or an object the steps do not run and nothing is sent. The steps must end with
// Send(1) and Release (or at least Release); the module is released after them.
#include "send/upload_module.h"

template <typename Steps>
void WithUploadReport(Steps steps) {
  CUploadModule upload;
  IUploadReport* report = upload.CreateReport();
  if (report == nullptr) return;
  steps(report);
}
