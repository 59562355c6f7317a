#include "send/install_module.h"

#include "send/dll_module.h"

const WORD VrelInstallModule::kOrdinals[18] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 122};

VrelInstallModule::~VrelInstallModule() { VrelInstallModule::Unload(); }

void VrelInstallModule::Unload() {
  if (module == nullptr) return;
  FreeLibrary(module);
  module = nullptr;
  for (FARPROC& entry : entries) entry = nullptr;
}

bool VrelInstallModule::Load() {
  Unload();
  module = LoadLibraryExW(GetModuleName(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  for (size_t i = 0; i < 18; ++i) entries[i] = ProcByOrdinal(module, kOrdinals[i]);
  return module != nullptr;
}

VrelInstallModule::GetInstallFolderFunction VrelInstallModule::GetInstallFolder() const {
  return EntryAs<GetInstallFolderFunction>(entries[0]);
}

VrelInstallModule::GetComponentPathFunction VrelInstallModule::GetComponentPath() const {
  return EntryAs<GetComponentPathFunction>(entries[4]);
}

namespace {

// Owns the instance. It is a function-local static, constructed at the first lookup,
// that is after every namespace-scope static of the library (the first lookup runs
// in the load step at the earliest), so it is destroyed before all of them and the
// installation module is released first.
struct InstallModuleHolder {
  VrelInstallModule* instance = nullptr;
  ~InstallModuleHolder() {
    delete instance;
    instance = nullptr;
  }
};

}  // namespace

VrelInstallModule* InstallModule() {
  static InstallModuleHolder holder;
  if (holder.instance == nullptr) holder.instance = new VrelInstallModule();
  if (!holder.instance->IsLoaded() && !holder.instance->Load()) return nullptr;
  return holder.instance;
}

std::wstring LookupInstallFolder() {
  VrelInstallModule* installModule = InstallModule();
  if (installModule == nullptr || installModule->GetInstallFolder() == nullptr) return {};
  wchar_t buffer[MAX_PATH] = {};
  installModule->GetInstallFolder()(buffer, MAX_PATH, 0);
  buffer[MAX_PATH - 1] = L'\0';
  // Every caller appends a folder name directly; a module that reports the folder
  // without its trailing backslash would otherwise put the files beside it.
  std::wstring folder(buffer);
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

int LookupComponentFile(wchar_t* buffer, const wchar_t* component, const wchar_t* file) {
  VrelInstallModule* installModule = InstallModule();
  if (installModule == nullptr || installModule->GetComponentPath() == nullptr) return 0;
  int result = installModule->GetComponentPath()(buffer, MAX_PATH, component, file, 0);
  buffer[MAX_PATH - 1] = L'\0';
  return result;
}
