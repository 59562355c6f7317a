// VrelInstall.dll: tells the product's programs where the product is installed.
//
// The installation folder comes from, in this order:
//   1. the environment variable VRELINSTALL_FOLDER, when set and not empty (a test
//      sets it for the processes it starts, so each test has a folder of its own);
//   2. the first line of "VrelInstall.cfg" beside this DLL (UTF-8); an empty first
//      line means "no installation folder";
//   3. the folder this DLL is in, which is where an installed product keeps it.
// The text is reported as configured (the folder of this DLL with its trailing
// backslash); the upload library adds a missing backslash itself.
//
// A component's file is the installation folder + the file name, reported only when
// that file exists; the component name is not needed for that layout.
#include <windows.h>

#include <string>

namespace {

HMODULE thisModule = nullptr;

// The folder of this DLL, with its trailing backslash.
std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(thisModule, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

bool ReadConfigLine(const std::wstring& file, std::wstring* line) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  char bytes[4 * MAX_PATH] = {};
  DWORD read = 0;
  ReadFile(handle, bytes, sizeof(bytes) - 1, &read, nullptr);
  CloseHandle(handle);
  std::string text(bytes, read);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  text = text.substr(0, text.find_first_of("\r\n"));
  line->clear();
  if (text.empty()) return true;
  int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  line->resize(static_cast<size_t>(units));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &(*line)[0], units);
  return true;
}

std::wstring InstallFolder() {
  std::wstring folder;
  wchar_t fromEnvironment[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(L"VRELINSTALL_FOLDER", fromEnvironment, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    folder = fromEnvironment;
  } else if (!ReadConfigLine(ModuleFolder() + L"VrelInstall.cfg", &folder)) {
    folder = ModuleFolder();
  }
  return folder;
}

// Copies text with its NUL when it fits; otherwise leaves the buffer as it was.
bool CopyOut(const std::wstring& text, wchar_t* buffer, unsigned capacity) {
  if (buffer == nullptr || text.size() + 1 > capacity) return false;
  text.copy(buffer, text.size());
  buffer[text.size()] = L'\0';
  return true;
}

}  // namespace

extern "C" int __stdcall GetInstallFolder(wchar_t* buffer, unsigned capacity, int /*reserved*/) {
  return CopyOut(InstallFolder(), buffer, capacity) ? 1 : 0;
}

extern "C" int __stdcall GetComponentPath(wchar_t* buffer, unsigned capacity, const wchar_t* /*component*/,
                                          const wchar_t* file, int /*reserved*/) {
  std::wstring folder = InstallFolder();
  if (folder.empty() || file == nullptr || *file == L'\0') return 0;
  if (folder.back() != L'\\') folder += L'\\';
  std::wstring path = folder + file;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return CopyOut(path, buffer, capacity) ? 1 : 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    thisModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
