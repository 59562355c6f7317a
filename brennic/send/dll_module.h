#pragma once
// A library of the product loaded at run time and bound by ordinal. The product's
// modules export their entry points by ordinal only, so names are never looked up.
#include <windows.h>

#include <string>

class CDLLModule {
 public:
  CDLLModule() = default;
  virtual ~CDLLModule();
  CDLLModule(const CDLLModule&) = delete;
  CDLLModule& operator=(const CDLLModule&) = delete;

  // Releases the library, if one is loaded.
  virtual void Unload();
  // Loads the library from path, or from GetModulePath() when path is null.
  virtual bool Load(const wchar_t* path) = 0;
  virtual std::wstring GetModulePath() = 0;

  bool IsLoaded() const { return module != nullptr; }

 protected:
  HMODULE module = nullptr;
};

// Entry point by ordinal; null without a library or without that ordinal.
FARPROC ProcByOrdinal(HMODULE module, WORD ordinal);

// An entry point as the function type the module's documentation gives it (through
// the generic function pointer type, the one cast compilers accept between types).
template <typename Function>
Function EntryAs(FARPROC entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}
