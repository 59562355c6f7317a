#pragma once
// The product's upload module, Upload.dll. Each send creates one of these on its
// stack: the module is loaded at construction and released at destruction, so no
// report object or module outlives a send.
#include "send/dll_module.h"
#include "send/upload_report.h"

class CUploadModule : public CDLLModule {
 public:
  CUploadModule();

  // Entry points are cleared with the library, so none outlives it.
  void Unload() override;
  bool Load(const wchar_t* path = nullptr) override;
  // The path the installation module gives for component "Upload", file
  // "Upload.dll"; without one the bare name, found by the standard search.
  std::wstring GetModulePath() override;

  // A new report object, or null (no module, no ordinal 20, or the module said no).
  IUploadReport* CreateReport() const;

  CreateUploadReportFunction createUploadReport = nullptr;  // ordinal 20
  FARPROC ordinal21 = nullptr;  // resolved like the product does, never called
  FARPROC ordinal22 = nullptr;
  FARPROC ordinal40 = nullptr;
  FARPROC ordinal30 = nullptr;
  FARPROC ordinal50 = nullptr;
};
