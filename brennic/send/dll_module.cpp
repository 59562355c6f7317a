#include "send/dll_module.h"

CDLLModule::~CDLLModule() { CDLLModule::Unload(); }

void CDLLModule::Unload() {
  if (module == nullptr) return;
  FreeLibrary(module);
  module = nullptr;
}

FARPROC ProcByOrdinal(HMODULE module, WORD ordinal) {
  if (module == nullptr) return nullptr;
  return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
}
