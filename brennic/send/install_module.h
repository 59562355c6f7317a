#pragma once
// The product's installation module, "VrelInstall.dll": it knows where the product
// is installed and where each component's file is. One instance per process,
// created by the first lookup (normally during the library's load step) and deleted
// before every other static object of the library, which releases the module.
#include <windows.h>

#include <string>

class VrelInstallModule {
 public:
  VrelInstallModule() = default;
  virtual ~VrelInstallModule();
  VrelInstallModule(const VrelInstallModule&) = delete;
  VrelInstallModule& operator=(const VrelInstallModule&) = delete;

  virtual void Unload();
  virtual const wchar_t* GetModuleName() const { return L"VrelInstall.dll"; }
  // Loads the module by its bare name (standard search) and binds every ordinal the
  // product's module is known to have; only 1 and 5 are ever called.
  bool Load();
  bool IsLoaded() const { return module != nullptr; }

  // GetInstallFolder(buffer, capacity, 0); result not examined.
  typedef int(__stdcall* GetInstallFolderFunction)(wchar_t* buffer, unsigned capacity, int reserved);
  // GetComponentPath(buffer, capacity, component, file, 0); non-zero when filled.
  typedef int(__stdcall* GetComponentPathFunction)(wchar_t* buffer, unsigned capacity, const wchar_t* component,
                                                   const wchar_t* file, int reserved);

  GetInstallFolderFunction GetInstallFolder() const;
  GetComponentPathFunction GetComponentPath() const;

  static const WORD kOrdinals[18];

 private:
  HMODULE module = nullptr;
  FARPROC entries[18] = {};
};

// The process-wide instance, loading the module if it is not loaded yet; null when
// the module cannot be loaded (tried again on the next call).
VrelInstallModule* InstallModule();

// The installation folder, always ending with a backslash (added when the module
// reports it without one); "" without the module or its entry point.
std::wstring LookupInstallFolder();

// Fills buffer (260 units, zeroed by the caller) with the full path of a component's
// file. Returns the module's result, non-zero when filled; 0 without the module.
int LookupComponentFile(wchar_t* buffer, const wchar_t* component, const wchar_t* file);
