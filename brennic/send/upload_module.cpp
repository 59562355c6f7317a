#include "send/upload_module.h"

#include "send/install_module.h"

CUploadModule::CUploadModule() { Load(nullptr); }

void CUploadModule::Unload() {
  CDLLModule::Unload();
  createUploadReport = nullptr;
  ordinal21 = ordinal22 = ordinal30 = ordinal40 = ordinal50 = nullptr;
}

bool CUploadModule::Load(const wchar_t* path) {
  Unload();
  std::wstring file = path != nullptr ? std::wstring(path) : GetModulePath();
  module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  createUploadReport = EntryAs<CreateUploadReportFunction>(ProcByOrdinal(module, 20));
  ordinal21 = ProcByOrdinal(module, 21);
  ordinal22 = ProcByOrdinal(module, 22);
  ordinal30 = ProcByOrdinal(module, 30);
  ordinal40 = ProcByOrdinal(module, 40);
  ordinal50 = ProcByOrdinal(module, 50);
  return module != nullptr;
}

std::wstring CUploadModule::GetModulePath() {
  wchar_t buffer[MAX_PATH] = {};
  if (LookupComponentFile(buffer, L"Upload", L"Upload.dll") != 0) return buffer;
  return L"Upload.dll";
}

IUploadReport* CUploadModule::CreateReport() const {
  if (module == nullptr || createUploadReport == nullptr) return nullptr;
  return createUploadReport();
}
