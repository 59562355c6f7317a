#include "report/version_info.h"

#include <new>

#include "common/hresult.h"
#include "common/text.h"

namespace {

// Version strings come with a length and need not end in a null inside it.
void CopyCounted(wchar_t* field, size_t capacity, const wchar_t* value, UINT length) {
  size_t i = 0;
  for (; i + 1 < capacity && i < length && value[i] != L'\0'; ++i) field[i] = value[i];
  field[i] = L'\0';
}

bool QueryString(const void* block, const wchar_t* templ, WORD language, WORD codePage, wchar_t* field,
                 size_t capacity) {
  wchar_t query[96];
  FormatText(query, 96, templ, language, codePage);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block, query, &value, &length) || value == nullptr || length == 0) return false;
  CopyCounted(field, capacity, static_cast<const wchar_t*>(value), length);
  return true;
}

}  // namespace

HRESULT ReadVersionInfo(ReportFile* image) {
  wchar_t path[MAX_PATH];
  DWORD pathLength = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (pathLength == 0 || pathLength >= MAX_PATH) return HResultFromLastError();

  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    CopyText(image->fileDescription, 40, L"Unknown");
    CopyText(image->fileVersion, 40, L"Unknown");
    CopyText(image->companyName, 64, L"Unknown Company");
    return S_OK;
  }
  uint8_t* block = new (std::nothrow) uint8_t[size];
  if (block == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = S_OK;
  void* translation = nullptr;
  UINT translationLength = 0;
  if (!GetFileVersionInfoW(path, 0, size, block)) {
    hr = HResultFromLastError();
  } else if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", &translation, &translationLength) ||
             translation == nullptr || translationLength < 2 * sizeof(WORD)) {
    hr = HResultFromLastError();
  } else {
    const WORD* pair = static_cast<const WORD*>(translation);
    const WORD language = pair[0];
    const WORD codePage = pair[1];
    QueryString(block, L"\\StringFileInfo\\%04x%04x\\FileDescription", language, codePage, image->fileDescription,
                40);
    QueryString(block, L"\\StringFileInfo\\%04x%04x\\FileVersion", language, codePage, image->fileVersion, 40);
    if (!QueryString(block, L"\\StringFileInfo\\%04x%04x\\CompanyName", language, codePage, image->companyName, 64)) {
      hr = HResultFromLastError();
    }
  }
  delete[] block;
  return hr;
}
