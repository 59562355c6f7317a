#include "config/config.h"

#include <gtest/gtest.h>

#include <string>

#include "config/com_fixture.h"
#include "config/fixtures.h"

namespace {

class ConfigTest : public ComTest {
 protected:
  HRESULT Load(const std::string& text) {
    WriteConfig(text);
    return config_.LoadFrom(dir_.path().c_str());
  }
  CConfig config_;
};

void ExpectRule(const ExceptionRule& rule, bool exclude, uint32_t first, uint32_t last, int32_t where,
                const wchar_t* module, uint32_t from, uint32_t to) {
  EXPECT_EQ(exclude, rule.exclude);
  EXPECT_EQ(first, rule.firstCode);
  EXPECT_EQ(last, rule.lastCode);
  EXPECT_EQ(where, rule.where);
  EXPECT_EQ(std::wstring(module), rule.module);
  EXPECT_EQ(from, rule.fromAddress);
  EXPECT_EQ(to, rule.toAddress);
}

TEST_F(ConfigTest, ExampleFileGivesItsSettingsAndThreeRulesExcludeFirst) {
  ASSERT_EQ(S_OK, Load(kExampleConfig));
  EXPECT_TRUE(config_.enabled);
  EXPECT_EQ(128, config_.messagelogSize);
  EXPECT_EQ(20, config_.supplementfileSize);
  EXPECT_FALSE(config_.useUILauncher);
  EXPECT_STREQ(L"QuorvelClient.exe", config_.userinterfaceExe);
  ASSERT_EQ(3u, config_.rules.size());
  ExpectRule(config_.rules[0], true, 0xC0000005, 0xC0000005, WhereBoth, L"legacycodec", 0x00401000, 0x004FFFFF);
  ExpectRule(config_.rules[1], false, 0xC0000005, 0xC0000005, WhereFront, L"*", 0, 0xFFFFFFFF);
  ExpectRule(config_.rules[2], false, 0xC0000094, 0xC0000096, WhereBoth, L"myplugin", 0, 0xFFFFFFFF);
  EXPECT_EQ(nullptr, config_.document);  // closed after reading
}

TEST_F(ConfigTest, OnlyEnabledGivesTheDefaults) {
  ASSERT_EQ(S_OK, Load(ConfigWithRuntime("<enabled>true</enabled>")));
  EXPECT_TRUE(config_.enabled);
  EXPECT_EQ(64, config_.messagelogSize);
  EXPECT_EQ(50, config_.supplementfileSize);
  EXPECT_TRUE(config_.frontstopTrapper);
  EXPECT_TRUE(config_.backstopTrapper);
  EXPECT_TRUE(config_.unhandledTrapper);
  EXPECT_TRUE(config_.useUILauncher);
  EXPECT_FALSE(config_.stackOverflowOnly);
  EXPECT_STREQ(L"QuorvelClient.exe", config_.userinterfaceExe);
  EXPECT_TRUE(config_.rules.empty());
}

TEST_F(ConfigTest, SettingsWrittenAsAttributesAreNotSeen) {
  ASSERT_EQ(S_OK, Load("<quorvel><runtime enabled=\"true\" messagelogSize=\"8\"/></quorvel>"));
  EXPECT_FALSE(config_.enabled);
  EXPECT_EQ(64, config_.messagelogSize);
}

TEST_F(ConfigTest, RuleAttributesAndListEnds) {
  struct Case {
    const char* name;
    std::string lists;
    size_t count;
  } cases[] = {
      {"first missing ends the list",
       "<includeExceptions><unmanaged where=\"front\"/><unmanaged first=\"5\"/></includeExceptions>", 0},
      {"negative first ends the list",
       "<includeExceptions><unmanaged first=\"1\"/><unmanaged first=\"-5\"/><unmanaged first=\"2\"/></includeExceptions>",
       1},
      {"malformed first ends the list", "<includeExceptions><unmanaged first=\"x1\"/></includeExceptions>", 0},
  };
  for (const Case& c : cases) {
    CConfig config;
    WriteConfig(ConfigWithRuntime("<enabled>true</enabled>" + c.lists));
    ASSERT_EQ(S_OK, config.LoadFrom(dir_.path().c_str())) << c.name;
    EXPECT_EQ(c.count, config.rules.size()) << c.name;
  }

  ASSERT_EQ(S_OK, Load(ConfigWithRuntime(
                      "<includeExceptions>"
                      "<unmanaged first=\"0x1C0000005\"/>"
                      "<unmanaged first=\"10\" last=\"5\" where=\"Backstop\" module=\"\"/>"
                      "<unmanaged first=\"7\" where=\"sideways\" from=\"0x80000000\" to=\"bad\"/>"
                      "</includeExceptions>")));
  ASSERT_EQ(3u, config_.rules.size());
  ExpectRule(config_.rules[0], false, 0xC0000005, 0xC0000005, WhereBoth, L"*", 0, 0xFFFFFFFF);
  ExpectRule(config_.rules[1], false, 10, 5, WhereBack, L"", 0, 0xFFFFFFFF);
  ExpectRule(config_.rules[2], false, 7, 7, WhereBoth, L"*", 0x80000000, 0xFFFFFFFF);
}

TEST_F(ConfigTest, SecondLoadAppendsTheRulesAgain) {
  ASSERT_EQ(S_OK, Load(kExampleConfig));
  ASSERT_EQ(S_OK, config_.LoadFrom(dir_.path().c_str()));
  ASSERT_EQ(6u, config_.rules.size());
  EXPECT_TRUE(config_.rules[3].exclude);
  EXPECT_FALSE(config_.rules[2].exclude);
  EXPECT_FALSE(config_.rules[5].exclude);
}

TEST_F(ConfigTest, OverlongModuleDropsOnlyThatRule) {
  std::string module49(49, 'm');
  std::string module50(50, 'm');
  testing_support::DebugOutputCapture capture;
  ASSERT_EQ(S_OK, Load(ConfigWithRuntime("<includeExceptions>"
                                         "<unmanaged first=\"1\" module=\"" + module50 + "\"/>"
                                         "<unmanaged first=\"2\" module=\"" + module49 + "\"/>"
                                         "</includeExceptions>")));
  ASSERT_EQ(1u, config_.rules.size());
  EXPECT_EQ(2u, config_.rules[0].firstCode);
  EXPECT_EQ(49u, config_.rules[0].module.size());
  EXPECT_EQ(1u, capture.Lines().size());
}

TEST_F(ConfigTest, OverlongUserInterfaceProgramIsRefused) {
  std::string exe259(255, 'c');
  exe259 += ".exe";
  ASSERT_EQ(S_OK, Load(ConfigWithRuntime("<enabled>true</enabled><userinterfaceExe>" + exe259 + "</userinterfaceExe>")));
  EXPECT_EQ(259u, wcslen(config_.userinterfaceExe));
  EXPECT_EQ(E_INVALIDARG,
            Load(ConfigWithRuntime("<enabled>true</enabled><userinterfaceExe>x" + exe259 + "</userinterfaceExe>")));
  EXPECT_STREQ(L"", config_.userinterfaceExe);
}

TEST_F(ConfigTest, LoadFromFailures) {
  CConfig config;
  EXPECT_EQ(static_cast<HRESULT>(0x80070002), config.LoadFrom(dir_.path().c_str()));
  EXPECT_FALSE(config.enabled);
  std::wstring longFolder(250, L'f');
  EXPECT_EQ(E_INVALIDARG, config.LoadFrom(longFolder.c_str()));
  EXPECT_EQ(E_INVALIDARG, config.LoadFrom(nullptr));

  WriteConfig("<quorvel><runtime><enabled>true</enabled></runtime>");
  EXPECT_GT(0, config.LoadFrom(dir_.path().c_str()));
  EXPECT_FALSE(config.enabled);  // a file that does not parse changes nothing
}

}  // namespace
