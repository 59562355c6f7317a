#pragma once
// An installed product in a temporary folder, for tests that run real processes:
// Brennic.dll, the installation module, the upload module (unless left out) and the
// virus host, with "Data" below it. The installation module reports this folder and
// the upload module delivers into "Outbox" in it (both through the environment the
// children inherit).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace virus_testing {

class ProductTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void LeaveOutUploadModule();

  // Runs the virus host from the product folder with the given steps; its Brennic.dll
  // is the product's. Fails the test when the host does not end with exit code 0.
  testing_support::ChildResult RunHost(const std::wstring& steps);
  // Wine's own rundll32.exe: rundll32 <product>\Brennic.dll,Run32Send <tail>.
  testing_support::ChildResult RunRundll32(const std::wstring& tail);

  std::wstring Folder() const { return product_.path(); }
  std::wstring Dll() const { return product_ / L"Brennic.dll"; }
  std::wstring VirusFile(const std::wstring& name) const { return product_.path() + L"\\Data\\VrelVirus\\" + name; }
  std::wstring Outbox() const { return product_ / L"Outbox"; }
  // Folders of the sent reports, in the order of sending.
  std::vector<std::wstring> Reports() const;
  // A sent report's file, as text ("" when missing).
  std::string ReportFile(const std::wstring& report, const std::wstring& name) const;

  void WriteStore(const std::wstring& name, const std::vector<uint8_t>& bytes);

  testing_support::TempDir product_;
};

}  // namespace virus_testing
