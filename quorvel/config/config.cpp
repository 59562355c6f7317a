#include "config/config.h"

#include <cwchar>

#include "common/debug_output.h"
#include "common/hresult.h"
#include "common/text.h"
#include "report/companion_file.h"

const wchar_t kConfigFileName[] = L"QuorvelConfig.xml";

CConfig runtimeConfig;

namespace {
constexpr int kMaxRulesPerList = 9999;
constexpr int64_t kDefaultToAddress = 0x0000FFFFFFFFFFFFLL;
}  // namespace

HRESULT CConfig::Load() {
  wchar_t filePath[260];
  HRESULT hr = FindCompanionFile(filePath, 260, kConfigFileName);
  if (FAILED(hr)) return hr;
  return ReadFile(filePath);
}

HRESULT CConfig::LoadFrom(const wchar_t* folder) {
  wchar_t filePath[260];
  // A cut path would name another file: refuse a folder that does not leave room.
  if (folder == nullptr || FormatText(filePath, 260, L"%s\\%s", folder, kConfigFileName) < 0) return E_INVALIDARG;
  if (!PathExists(filePath)) return HResultFromLastError();
  return ReadFile(filePath);
}

HRESULT CConfig::ReadFile(const wchar_t* filePath) {
  HRESULT hr = Open(filePath);
  if (FAILED(hr)) return hr;

  SelectPath(L"/quorvel/runtime");
  enabled = GetBool(L"enabled", false);
  messagelogSize = GetInt(L"messagelogSize", 64);
  supplementfileSize = GetInt(L"supplementfileSize", 50);
  frontstopTrapper = GetBool(L"frontstopTrapper", true);
  backstopTrapper = GetBool(L"backstopTrapper", true);
  unhandledTrapper = GetBool(L"unhandledTrapper", true);
  useUILauncher = GetBool(L"useUILauncher", true);
  stackOverflowOnly = GetBool(L"stackOverflowOnly", false);
  HRESULT exeResult;
  wchar_t exe[260];
  GetString(L"userinterfaceExe", exe, 260, L"QuorvelClient.exe", &exeResult);
  // A cut program name would start another program, or none: refuse the file.
  bool exeTooLong = exeResult == kResultInsufficientBuffer;
  CopyText(userinterfaceExe, 260, exeTooLong ? L"" : exe);

  ReadRuleList(L"/quorvel/runtime/excludeExceptions", true);
  ReadRuleList(L"/quorvel/runtime/includeExceptions", false);
  Close();
  if (exeTooLong) {
    DebugPrintf(L"QuorvelConfig.xml: userinterfaceExe is longer than 259 characters\n");
    return E_INVALIDARG;
  }
  return hr;
}

void CConfig::ReadRuleList(const wchar_t* listPath, bool exclude) {
  for (int i = 1; i <= kMaxRulesPerList; ++i) {
    ExceptionRule rule;
    rule.exclude = exclude;
    SelectPath(listPath);
    wchar_t item[32];
    FormatText(item, 32, L"unmanaged[%d]", i);
    SelectPath(item);

    int64_t first = GetInt64(L"@first", -1);
    if (first < 0) return;
    rule.firstCode = static_cast<uint32_t>(first);
    rule.lastCode = static_cast<uint32_t>(GetInt64(L"@last", first));
    rule.where = GetChoice(L"@where", L"front|back|both", WhereBoth);
    wchar_t module[kRuleModuleCapacity];
    HRESULT moduleResult;
    GetString(L"@module", module, kRuleModuleCapacity, L"*", &moduleResult);
    rule.module = module;
    rule.fromAddress = static_cast<uint32_t>(GetInt64(L"@from", 0));
    rule.toAddress = static_cast<uint32_t>(GetInt64(L"@to", kDefaultToAddress));
    if (moduleResult == kResultInsufficientBuffer) {
      // A cut module name would match another module than the one meant.
      DebugPrintf(L"QuorvelConfig.xml: %s entry %d ignored: module name longer than %d characters\n", listPath, i,
                  static_cast<int>(kRuleModuleCapacity - 1));
      continue;
    }
    rules.push_back(rule);
  }
}
