// HvReport.exe: the product's packing program.
//
//   HvReport.exe -MakeZip "archive" [-From "folder"] [-Keep]
//
// Packs every file below the folder (by default the report staging folder, the
// common application-data folder + "\VrelReport\holvane") into a zip archive at the
// given path, replacing an older archive. The packed files are then removed from the
// folder, since they now travel in the archive and the next errortime run stages
// files of the same names again; -Keep leaves them. The archive is written under a
// temporary name and renamed when complete, so a reader never sees half of one.
// Exit codes: 0 packed, 1 bad command line, 2 archive not written.
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "zip_writer.h"

#include "utf8_text.h"

namespace {

std::wstring StagingFolder() {
  wchar_t common[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE)) return {};
  return std::wstring(common) + L"\\VrelReport\\holvane";
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>* data, FILETIME* modified) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  data->assign(size, 0);
  DWORD read = 0;
  bool ok = size == 0 || (ReadFile(file, data->data(), size, &read, nullptr) && read == size);
  GetFileTime(file, nullptr, nullptr, modified);
  CloseHandle(file);
  return ok;
}

// Collects the files below folder; names relative to the packed root, "/" between levels.
void Collect(const std::wstring& root, const std::wstring& relative, const std::wstring& skip,
             std::vector<ZipEntry>* entries, std::vector<std::wstring>* packed) {
  std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring inner = relative.empty() ? name : relative + L"\\" + name;
    std::wstring full = root + L"\\" + inner;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Collect(root, inner, skip, entries, packed);
      continue;
    }
    if (lstrcmpiW(full.c_str(), skip.c_str()) == 0) continue;
    ZipEntry entry;
    if (!ReadWholeFile(full, &entry.data, &entry.modified)) continue;
    entry.name = Utf8(inner);
    for (char& c : entry.name)
      if (c == '\\') c = '/';
    entries->push_back(entry);
    packed->push_back(full);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

bool WriteArchive(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  std::wstring partial = path + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) {
    DeleteFileW(partial.c_str());
    return false;
  }
  return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::wstring(full) : path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring archive;
  std::wstring folder;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring option = argv[i];
    if (lstrcmpiW(option.c_str(), L"-MakeZip") == 0 && i + 1 < argc) {
      archive = argv[++i];
    } else if (lstrcmpiW(option.c_str(), L"-From") == 0 && i + 1 < argc) {
      folder = argv[++i];
    } else if (lstrcmpiW(option.c_str(), L"-Keep") == 0) {
      keep = true;
    } else {
      return 1;
    }
  }
  if (archive.empty()) return 1;
  if (folder.empty()) folder = StagingFolder();
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  archive = FullPath(archive);

  std::vector<ZipEntry> entries;
  std::vector<std::wstring> packed;
  if (!folder.empty()) Collect(folder, L"", archive, &entries, &packed);
  if (!WriteArchive(archive, BuildZip(entries))) return 2;
  if (!keep)
    for (const std::wstring& file : packed) DeleteFileW(file.c_str());
  return 0;
}
