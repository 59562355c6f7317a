#pragma once
// A temporary folder laid out like an installed product: the host program, Brennic.dll
// and the product's modules side by side, and the "Data" folder the installer makes.
// VrelInstall.dll reports its own folder, so this folder is the installation folder
// (with a trailing backslash) of every process started from it; Upload.dll's outbox
// is Root()\Outbox. Nothing here is shared with another test.
#include <string>
#include <vector>

#include "test_support.h"

class ProductFolder {
 public:
  // Which files to put in; tests about missing modules leave one out.
  enum Part : unsigned {
    kInstallModule = 1,  // VrelInstall.dll
    kUploadModule = 2,   // Upload.dll
    kPackingProgram = 4, // HvReport.exe
    kAll = 7,
  };
  explicit ProductFolder(unsigned parts = kAll);

  std::wstring Root() const { return dir_.path(); }
  std::wstring InstallFolder() const { return dir_.path() + L"\\"; }
  std::wstring ListFolder() const { return dir_.path() + L"\\Data\\VrelReport"; }
  std::wstring HostListFile() const { return ListFolder() + L"\\brennic_host.exe.xml"; }
  std::wstring Outbox() const { return dir_.path() + L"\\Outbox"; }
  std::wstring ArchivePath() const { return ListFolder() + L"\\Report.zip"; }

  // Puts a built file into the folder under another name (e.g. a stand-in module).
  void PutAs(const std::wstring& built, const std::wstring& name) const;

  // Runs brennic_host.exe with the given steps; folder: its current directory
  // (default: the product folder).
  testing_support::ChildResult RunHost(const std::wstring& steps, unsigned timeoutMs = 30000,
                                       const std::wstring& folder = L"") const;
  // Runs the system's rundll32.exe on this folder's Brennic.dll, from this folder.
  testing_support::ChildResult RunRundll(const std::wstring& entryAndArguments, unsigned timeoutMs = 60000) const;

 private:
  testing_support::TempDir dir_;
};

// A decimal value printed as "<name> <n>", or -1.
long HostPrintedNumber(const std::string& output, const std::string& name);

// The registry value "reportcid", when it is a string; "" otherwise.
std::wstring StoredClientIdentifier();
// "<errList cid=\"X\" >\r\n" -> X; "" when the file does not start that way.
std::string ListIdentifier(const std::vector<uint8_t>& listFile);
// Text of a file's bytes (the test's code page is the host's: plain ASCII here).
std::string AsText(const std::vector<uint8_t>& bytes);
