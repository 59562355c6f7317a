#include "config/xml_config_file.h"

#include <cwchar>
#include <cstdlib>

#include "common/debug_output.h"
#include "common/hresult.h"
#include "common/text.h"
#include "config/xml_dom.h"

namespace {

// A BSTR owned by a scope.
class ScopedBstr {
 public:
  explicit ScopedBstr(const wchar_t* text) : value_(SysAllocString(text)) {}
  ~ScopedBstr() { SysFreeString(value_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

template <typename T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
  return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

// The number getters share one shape: read, convert, fall back to the default.
template <typename T, typename Convert>
T ConvertNumber(BSTR text, HRESULT readResult, T defaultValue, HRESULT* hr, Convert convert) {
  HRESULT result = readResult;
  T value = defaultValue;
  if (text != nullptr && text[0] != L'\0') {
    wchar_t* end = nullptr;
    T converted = convert(text, &end);
    if (end != nullptr && *end == L'\0') {
      value = converted;
    } else {
      result = kResultBadFormat;
    }
  }
  SysFreeString(text);
  if (hr) *hr = result;
  return value;
}

}  // namespace

CXmlConfigFile::CXmlConfigFile() = default;

CXmlConfigFile::~CXmlConfigFile() { Close(); }

void CXmlConfigFile::Close() { ReleaseAndClear(document); }

HRESULT CXmlConfigFile::Open(const wchar_t* filePath) {
  if (document == nullptr) {
    HRESULT hr = CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument2,
                                  reinterpret_cast<void**>(&document));
    if (FAILED(hr)) {
      document = nullptr;
      return hr;
    }
    document->put_async(VARIANT_FALSE);
    ScopedBstr name(L"SelectionLanguage");
    VARIANT language;
    VariantInit(&language);
    language.vt = VT_BSTR;
    language.bstrVal = SysAllocString(L"XPath");
    document->setProperty(name.get(), language);
    VariantClear(&language);
  }

  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(filePath ? filePath : L"");
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT hr = document->load(source, &loaded);
  VariantClear(&source);
  if (FAILED(hr)) return hr;

  if (loaded != VARIANT_TRUE) {
    hr = E_FAIL;
    IXMLDOMParseError* parseError = nullptr;
    if (FAILED(document->get_parseError(&parseError)) || parseError == nullptr) return E_FAIL;
    long code = 0;
    if (SUCCEEDED(parseError->get_errorCode(&code)) && code < 0) hr = code;
    // Some parsers report a missing file as a generic failure: a file that is not
    // there is always reported as such, and is no parse error.
    bool missing = static_cast<DWORD>(code) == 0x800C0006u ||
                   (filePath != nullptr && GetFileAttributesW(filePath) == INVALID_FILE_ATTRIBUTES);
    if (missing) {
      hr = kResultFileNotFound;
    } else if (code != 0) {
      long line = 0;
      long position = 0;
      BSTR reason = nullptr;
      parseError->get_line(&line);
      parseError->get_linepos(&position);
      parseError->get_reason(&reason);
      DebugPrintf(L"XML parse error 0x%08x at line #%d(%d): %s\n", static_cast<unsigned>(code),
                  static_cast<int>(line), static_cast<int>(position), reason ? reason : L"");
      SysFreeString(reason);
    }
    parseError->Release();
  }
  currentPath[0] = L'\0';
  return hr;
}

HRESULT CXmlConfigFile::ResolvePath(const wchar_t* path, wchar_t* out, size_t capacity) {
  if (path == nullptr || out == nullptr || capacity == 0) return E_INVALIDARG;
  wchar_t work[kXmlPathCapacity];
  if (path[0] == L'/') {
    if (!CopyText(work, kXmlPathCapacity, path) || wcslen(work) >= capacity) return E_INVALIDARG;
    wcscpy(out, work);
    return S_OK;
  }
  CopyText(work, kXmlPathCapacity, currentPath);
  const wchar_t* rest = path;
  while (*rest != L'\0' && StartsWith(rest, L"..")) {
    wchar_t* slash = wcsrchr(work, L'/');
    if (slash == nullptr) return E_INVALIDARG;
    *slash = L'\0';
    rest += 2;
    if (StartsWith(rest, L"/..")) rest += 1;
  }
  size_t used = wcslen(work);
  if (rest[0] != L'/' && (used == 0 || (work[used - 1] != L'/' && work[used - 1] != L']'))) {
    if (!AppendText(work, kXmlPathCapacity, L"/")) return E_INVALIDARG;
  }
  if (!AppendText(work, kXmlPathCapacity, rest) || wcslen(work) >= capacity) return E_INVALIDARG;
  wcscpy(out, work);
  return S_OK;
}

HRESULT CXmlConfigFile::SelectPath(const wchar_t* path) {
  if (document == nullptr) return kResultBlank;
  if (path == nullptr || path[0] == L'\0') return E_INVALIDARG;
  return ResolvePath(path, currentPath, kXmlPathCapacity);
}

HRESULT CXmlConfigFile::ReadText(const wchar_t* path, BSTR* result, const wchar_t* defaultText) {
  if (result) *result = nullptr;
  if (document == nullptr) return kResultBlank;
  if (path == nullptr || path[0] == L'\0') return E_INVALIDARG;

  wchar_t resolved[kXmlPathCapacity];
  HRESULT hr = ResolvePath(path, resolved, kXmlPathCapacity);
  if (FAILED(hr)) return hr;

  const wchar_t* attributeName = nullptr;
  if (wchar_t* at = wcsrchr(resolved, L'@')) {
    *at = L'\0';
    attributeName = at + 1;
  }

  IXMLDOMNode* node = nullptr;
  {
    ScopedBstr query(resolved);
    hr = document->selectSingleNode(query.get(), &node);
  }
  if (node != nullptr && attributeName != nullptr) {
    IXMLDOMNamedNodeMap* attributes = nullptr;
    HRESULT mapResult = node->get_attributes(&attributes);
    ReleaseAndClear(node);
    if (mapResult == S_OK && attributes != nullptr) {
      ScopedBstr name(attributeName);
      hr = attributes->getNamedItem(name.get(), &node);
    }
    ReleaseAndClear(attributes);
  }

  BSTR value = nullptr;
  if (node != nullptr) {
    hr = node->get_text(&value);
    ReleaseAndClear(node);
  } else if (defaultText != nullptr) {
    value = SysAllocString(defaultText);
    if (value == nullptr) hr = E_OUTOFMEMORY;
  } else if (hr >= 0) {
    hr = E_FAIL;
  }

  // Reading an element's text leaves the current path at its parent; reading an
  // attribute of the current element leaves it at the element.
  wcscpy(currentPath, resolved);
  if (path[0] != L'@') {
    if (wchar_t* slash = wcsrchr(currentPath, L'/')) *slash = L'\0';
  }

  if (result) {
    *result = value;
  } else {
    SysFreeString(value);
  }
  return hr;
}

bool CXmlConfigFile::GetBool(const wchar_t* path, bool defaultValue, HRESULT* hr) {
  BSTR text = nullptr;
  HRESULT result = ReadText(path, &text, defaultValue ? L"true" : L"false");
  bool value = defaultValue;
  if (SUCCEEDED(result)) {
    wchar_t first = text ? towlower(text[0]) : L'\0';
    if (first == L'f' || first == L'n') {
      value = false;
    } else if (first == L't' || first == L'y') {
      value = true;
    } else {
      result = kResultBadFormat;
    }
  }
  SysFreeString(text);
  if (hr) *hr = result;
  return value;
}

BSTR CXmlConfigFile::ReadNumberText(const wchar_t* path, HRESULT* readResult) {
  BSTR text = nullptr;
  *readResult = ReadText(path, &text, L"");
  if (FAILED(*readResult)) {
    SysFreeString(text);
    return nullptr;
  }
  return text;
}

int32_t CXmlConfigFile::GetInt(const wchar_t* path, int32_t defaultValue, HRESULT* hr) {
  HRESULT read;
  BSTR text = ReadNumberText(path, &read);
  return ConvertNumber<int32_t>(text, read, defaultValue, hr, [](const wchar_t* s, wchar_t** end) {
    return static_cast<int32_t>(wcstol(s, end, 0));
  });
}

int64_t CXmlConfigFile::GetInt64(const wchar_t* path, int64_t defaultValue, HRESULT* hr) {
  HRESULT read;
  BSTR text = ReadNumberText(path, &read);
  return ConvertNumber<int64_t>(text, read, defaultValue, hr, [](const wchar_t* s, wchar_t** end) {
    return static_cast<int64_t>(_wcstoi64(s, end, 0));
  });
}

double CXmlConfigFile::GetDouble(const wchar_t* path, double defaultValue, HRESULT* hr) {
  HRESULT read;
  BSTR text = ReadNumberText(path, &read);
  return ConvertNumber<double>(text, read, defaultValue, hr,
                               [](const wchar_t* s, wchar_t** end) { return wcstod(s, end); });
}

wchar_t* CXmlConfigFile::GetString(const wchar_t* path, wchar_t* dest, size_t capacity, const wchar_t* defaultText,
                                   HRESULT* hr) {
  BSTR text = nullptr;
  HRESULT result = ReadText(path, &text, defaultText);
  const wchar_t* source = SUCCEEDED(result) ? text : defaultText;
  if (dest != nullptr && capacity > 0) {
    if (!CopyText(dest, capacity, source) && SUCCEEDED(result)) result = kResultInsufficientBuffer;
  }
  SysFreeString(text);
  if (hr) *hr = result;
  return dest;
}

int32_t CXmlConfigFile::GetChoice(const wchar_t* path, const wchar_t* choices, int32_t defaultIndex, HRESULT* hr) {
  BSTR text = nullptr;
  HRESULT result = ReadText(path, &text, L"");
  int32_t index = defaultIndex;
  if (SUCCEEDED(result) && text != nullptr && text[0] != L'\0') {
    if (choices == nullptr || choices[0] == L'\0') {
      index = 0;
    } else {
      const wchar_t* item = choices;
      for (int32_t i = 0;; ++i) {
        const wchar_t* bar = wcschr(item, L'|');
        size_t length = bar ? static_cast<size_t>(bar - item) : wcslen(item);
        if (_wcsnicmp(text, item, length) == 0) {
          index = i;
          break;
        }
        if (bar == nullptr) {
          result = kResultBadFormat;
          break;
        }
        item = bar + 1;
        if (*item == L'\0') {  // a trailing "|" ends the walk past the last item
          index = i + 1;
          break;
        }
      }
    }
  }
  SysFreeString(text);
  if (hr) *hr = result;
  return index;
}
