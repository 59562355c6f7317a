#include "core/client_identifier.h"

#include <objbase.h>
#include <rpc.h>
#include <windows.h>

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Holvane";
const wchar_t kValue[] = L"reportcid";
const size_t kIdentifierLength = 36;

// A stored value counts only as a whole NUL-terminated string of at most 36
// characters; anything else (a number, a longer text, a text without its NUL) is
// replaced rather than cut.
std::wstring ReadStoredIdentifier() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  wchar_t buffer[kIdentifierLength + 1] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(buffer);
  LONG status = RegQueryValueExW(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || bytes % 2 != 0) return {};
  size_t units = bytes / 2;
  if (units == 0 || buffer[units - 1] != L'\0') return {};
  return std::wstring(buffer);
}

std::wstring NewIdentifier() {
  UUID uuid = {};
  UuidCreate(&uuid);
  LPOLESTR text = nullptr;
  if (StringFromCLSID(uuid, &text) != S_OK || text == nullptr) return {};
  std::wstring braced(text);
  CoTaskMemFree(text);
  if (braced.size() < 2) return {};
  return braced.substr(1, braced.size() - 2);
}

// The key is created when missing: an identifier that is not kept would give every
// new list file another client, and the lists of one machine could no longer be
// told apart from those of many.
void StoreIdentifier(const std::wstring& identifier) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(identifier.c_str()),
                 static_cast<DWORD>((identifier.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace

std::wstring GetClientIdentifier() {
  std::wstring identifier = ReadStoredIdentifier();
  if (!identifier.empty()) return identifier;
  identifier = NewIdentifier();
  if (!identifier.empty()) StoreIdentifier(identifier);
  return identifier;
}
