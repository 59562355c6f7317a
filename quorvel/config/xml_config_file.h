#pragma once
// Reads values out of one XML file through the platform's MSXML DOM (COM).
// Values are addressed by path: an XPath location path to an element, optionally
// followed by "@attribute". Relative paths resolve against currentPath, which moves
// with every read so that a caller can select an element once and read its
// children or attributes by short names. Getters never fail hard: they return the
// caller's default and report what happened through an optional HRESULT
// (0 read, 1 absent, 0x8007000B present but not convertible, or the read's failure).
#include <windows.h>
#include <oleauto.h>

#include <cstdint>

struct IXMLDOMDocument2;

constexpr size_t kXmlPathCapacity = 260;

class CXmlConfigFile {
 public:
  CXmlConfigFile();
  virtual ~CXmlConfigFile();
  CXmlConfigFile(const CXmlConfigFile&) = delete;
  CXmlConfigFile& operator=(const CXmlConfigFile&) = delete;

  HRESULT Open(const wchar_t* filePath);
  void Close();
  HRESULT SelectPath(const wchar_t* path);
  // E_INVALIDARG when a ".." step finds no "/" left, or when the resolved path
  // would not fit the capacity (a cut path would address another node).
  HRESULT ResolvePath(const wchar_t* path, wchar_t* out, size_t capacity);
  // Fills *result (a new BSTR the caller frees, or null) with the value's text, or
  // with a copy of defaultText when the value is absent.
  HRESULT ReadText(const wchar_t* path, BSTR* result, const wchar_t* defaultText);

  bool GetBool(const wchar_t* path, bool defaultValue, HRESULT* hr = nullptr);
  int32_t GetInt(const wchar_t* path, int32_t defaultValue, HRESULT* hr = nullptr);
  int64_t GetInt64(const wchar_t* path, int64_t defaultValue, HRESULT* hr = nullptr);
  double GetDouble(const wchar_t* path, double defaultValue, HRESULT* hr = nullptr);
  // A value that does not fit the capacity is cut to capacity - 1 characters and
  // reported as 0x8007007A (ERROR_INSUFFICIENT_BUFFER), so the caller can refuse it.
  wchar_t* GetString(const wchar_t* path, wchar_t* dest, size_t capacity, const wchar_t* defaultText,
                     HRESULT* hr = nullptr);
  // choices: items separated by "|", e.g. "front|back|both".
  int32_t GetChoice(const wchar_t* path, const wchar_t* choices, int32_t defaultIndex, HRESULT* hr = nullptr);

  IXMLDOMDocument2* document = nullptr;
  wchar_t currentPath[kXmlPathCapacity] = {};

 private:
  // ReadText for the numeric getters: the text, or null with the read's result.
  BSTR ReadNumberText(const wchar_t* path, HRESULT* readResult);
};

constexpr HRESULT kResultInsufficientBuffer = static_cast<HRESULT>(0x8007007A);
