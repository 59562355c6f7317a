#include "traps/module_name.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "test_support.h"

using namespace testing_support;

namespace {

std::wstring LowerCase(std::wstring text) {
  for (wchar_t& c : text) c = towlower(c);
  return text;
}

std::wstring Lookup(const void* address, bool baseNameOnly, uint64_t* base = nullptr) {
  wchar_t buffer[260] = L"";
  return GetAddressModuleName(address, buffer, 260, baseNameOnly, base);
}

const void* Kernel32Function() { return reinterpret_cast<const void*>(&GetTickCount); }

TEST(GetAddressModuleName, AddressInAModuleGivesItsPathBaseNameAndLoadAddress) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  wchar_t path[MAX_PATH];
  ASSERT_NE(0u, GetModuleFileNameW(kernel32, path, MAX_PATH));

  uint64_t base = 0xDEADBEEF;
  EXPECT_EQ(std::wstring(path), Lookup(Kernel32Function(), false, &base));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(kernel32), base);
  EXPECT_EQ(L"kernel32", LowerCase(Lookup(Kernel32Function(), true)));
  // An address in the header, at the image's first byte, belongs to it as well.
  EXPECT_EQ(L"kernel32", LowerCase(Lookup(kernel32, true)));
}

// Outside every image the name stays empty and the load address untouched. Free
// memory answers the query with an allocation base of 0, and the module lookup for
// a null module would name the host executable.
TEST(GetAddressModuleName, AddressOutsideEveryImageGivesNothing) {
  std::vector<uint8_t> heap(64);
  void* privateRegion = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  void* reservedRegion = VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS);
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
  void* mappedView = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(nullptr, privateRegion);
  ASSERT_NE(nullptr, reservedRegion);
  ASSERT_NE(nullptr, mappedView);

  const struct {
    const char* what;
    const void* address;
  } cases[] = {
      {"address 0x10 (free, as after a jump through a null pointer)", reinterpret_cast<const void*>(0x10)},
      {"free memory high up", reinterpret_cast<const void*>(0x7FFE0000 - 0x10000)},
      {"heap", heap.data()},
      {"private committed region", privateRegion},
      {"reserved region", reservedRegion},
      {"mapped file view", mappedView},
      {"the stack", &heap},
  };
  for (const auto& c : cases) {
    uint64_t base = 0x1234;
    EXPECT_EQ(L"", Lookup(c.address, false, &base)) << c.what;
    EXPECT_EQ(0x1234u, base) << c.what;
    EXPECT_EQ(L"", Lookup(c.address, true)) << c.what;
  }

  UnmapViewOfFile(mappedView);
  CloseHandle(mapping);
  VirtualFree(reservedRegion, 0, MEM_RELEASE);
  VirtualFree(privateRegion, 0, MEM_RELEASE);
}

// The first rule that needs the name fills the buffer; later ones reuse it.
TEST(GetAddressModuleName, FilledBufferIsReturnedUnchanged) {
  wchar_t buffer[260] = L"earlier";
  uint64_t base = 7;
  EXPECT_EQ(buffer, GetAddressModuleName(Kernel32Function(), buffer, 260, true, &base));
  EXPECT_STREQ(L"earlier", buffer);
  EXPECT_EQ(7u, base);
}

TEST(GetAddressModuleName, NameIsCutToTheCapacity) {
  wchar_t buffer[5] = L"";
  GetAddressModuleName(Kernel32Function(), buffer, 5, true, nullptr);
  EXPECT_EQ(L"kern", LowerCase(buffer));
}

// The extension is cut at the path's last dot before the folder is dropped: a module
// without an extension in a folder with a dot in its name gives the folder's start.
TEST(GetAddressModuleName, BaseNameCutsAtTheLastDotOfTheWholePath) {
  TempDir dir;
  std::wstring folder = dir / L"release.2";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(BuiltFile(L"Quorvel.dll").c_str(), (folder + L"\\engine").c_str(), FALSE));
  // The trailing dot asks the loader for a name without an extension.
  HMODULE engine = LoadLibraryW((folder + L"\\engine.").c_str());
  ASSERT_NE(nullptr, engine) << GetLastError();
  uint64_t base = 0;
  std::wstring path = Lookup(engine, false, &base);
  EXPECT_EQ(L"engine", LowerCase(path.substr(path.rfind(L'\\') + 1)));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(engine), base);
  EXPECT_EQ(L"release", Lookup(engine, true));
  FreeLibrary(engine);
}

}  // namespace
