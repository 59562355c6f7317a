#pragma once
// The crash reporter's settings and exception rules, read from "QuorvelConfig.xml".
// One process-wide instance, runtimeConfig, lives from library load to unload.
#include <windows.h>

#include <vector>

#include "config/exception_rule.h"
#include "config/xml_config_file.h"

extern const wchar_t kConfigFileName[];  // "QuorvelConfig.xml"

class CConfig : public CXmlConfigFile {
 public:
  CConfig() = default;
  ~CConfig() override = default;

  // The file beside the host program (or in its "x86" sub-folder).
  HRESULT Load();
  // The file in the given folder.
  HRESULT LoadFrom(const wchar_t* folder);

  bool enabled = false;
  int32_t messagelogSize = 0;
  int32_t supplementfileSize = 0;
  bool frontstopTrapper = false;
  bool backstopTrapper = false;
  bool unhandledTrapper = false;
  bool useUILauncher = false;
  wchar_t userinterfaceExe[260] = {};
  std::vector<ExceptionRule> rules;  // every exclude rule before every include rule
  bool stackOverflowOnly = false;

 private:
  HRESULT ReadFile(const wchar_t* filePath);
  void ReadRuleList(const wchar_t* listPath, bool exclude);
};

extern CConfig runtimeConfig;
