// The export table of the built DLL, read from the file itself.
#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using testing_support::U32At;

uint16_t U16At(const std::vector<uint8_t>& b, size_t o) { return static_cast<uint16_t>(b[o] | (b[o + 1] << 8)); }

// File offset of a relative virtual address, through the section table.
size_t RvaToOffset(const std::vector<uint8_t>& b, uint32_t rva) {
  uint32_t pe = U32At(b, 0x3C);
  uint16_t sections = U16At(b, pe + 6);
  uint16_t optionalSize = U16At(b, pe + 20);
  size_t table = pe + 24 + optionalSize;
  for (uint16_t i = 0; i < sections; ++i) {
    size_t s = table + i * 40;
    uint32_t va = U32At(b, s + 12), size = U32At(b, s + 8), raw = U32At(b, s + 20);
    if (rva >= va && rva < va + size) return raw + (rva - va);
  }
  return 0;
}

std::map<std::string, uint32_t> ExportsByName(const std::wstring& dll) {
  std::vector<uint8_t> b = testing_support::ReadFileBytes(dll);
  std::map<std::string, uint32_t> result;
  if (b.size() < 0x40) return result;
  uint32_t pe = U32At(b, 0x3C);
  EXPECT_EQ(0x14Cu, U16At(b, pe + 4)) << "i386 machine";
  uint32_t exportRva = U32At(b, pe + 24 + 96);  // first data directory of PE32
  size_t dir = RvaToOffset(b, exportRva);
  uint32_t base = U32At(b, dir + 16);
  uint32_t names = U32At(b, dir + 24);
  size_t namePointers = RvaToOffset(b, U32At(b, dir + 32));
  size_t ordinals = RvaToOffset(b, U32At(b, dir + 36));
  for (uint32_t i = 0; i < names; ++i) {
    std::string name(reinterpret_cast<const char*>(&b[RvaToOffset(b, U32At(b, namePointers + 4 * i))]));
    result[name] = base + U16At(b, ordinals + 2 * i);
  }
  return result;
}

TEST(QuorvelExports, SixteenNamesWithAlphabeticalOrdinals) {
  std::map<std::string, uint32_t> expected = {
      {"Quorvel_AddFile", 1},
      {"Quorvel_AddText", 2},
      {"_Quorvel_CommonExceptionFilter@4", 3},
      {"Quorvel_EndTrapBypass", 4},
      {"Quorvel_Initialize", 5},
      {"Quorvel_InitializeNoCrash", 6},
      {"Quorvel_InitializeWithOptions", 7},
      {"Quorvel_InstallFail", 8},
      {"Quorvel_ManagedException", 9},
      {"Quorvel_RemoveFile", 10},
      {"Quorvel_Shutdown", 11},
      {"Quorvel_StartMonitoringProcess", 12},
      {"Quorvel_StartTrapBypass", 13},
      {"Quorvel_StopMonitoringProcess", 14},
      {"Quorvel_UnmanagedException", 15},
      {"Quorvel_UserAbort", 16},
  };
  EXPECT_EQ(expected, ExportsByName(testing_support::BuiltFile(L"Quorvel.dll")));
}

TEST(QuorvelExports, VersionResourceAndManifestAreEmbedded) {
  std::wstring dll = testing_support::BuiltFile(L"Quorvel.dll");
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &ignored);
  ASSERT_NE(0u, size);
  std::vector<uint8_t> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

  HMODULE module = LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
  ASSERT_NE(nullptr, manifest);
  std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                   SizeofResource(module, manifest));
  EXPECT_NE(std::string::npos, text.find("Microsoft.Windows.Common-Controls"));
  EXPECT_NE(std::string::npos, text.find("version=\"6.0.0.0\""));
  FreeLibrary(module);
}

TEST(QuorvelExports, StdcallExportsCleanTheirArgumentsAndVarargsOnesDoNot) {
  // Called through the DLL's own entry points with the conventions of the header:
  // a wrong convention would unbalance the stack and the test would crash.
  HMODULE dll = LoadLibraryW(testing_support::BuiltFile(L"Quorvel.dll").c_str());
  ASSERT_NE(nullptr, dll);
  auto addText = reinterpret_cast<HRESULT(__cdecl*)(const wchar_t*, ...)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "Quorvel_AddText")));
  auto addFile = reinterpret_cast<HRESULT(__stdcall*)(const wchar_t*, DWORD, DWORD)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "Quorvel_AddFile")));
  auto filter = reinterpret_cast<LONG(__stdcall*)(EXCEPTION_POINTERS*)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "_Quorvel_CommonExceptionFilter@4")));
  auto shutdown = reinterpret_cast<void(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "Quorvel_Shutdown")));
  ASSERT_TRUE(addText && addFile && filter && shutdown);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(static_cast<HRESULT>(0x80040007), addText(L"%s %d %d", L"x", 1, 2));
    EXPECT_EQ(static_cast<HRESULT>(0x80040007), addFile(L"C:\\a.txt", 1, 2));
    EXPECT_EQ(1, filter(nullptr));
  }
  shutdown();
  FreeLibrary(dll);
}

}  // namespace
