#include "config/xml_config_file.h"

#include <gtest/gtest.h>

#include <string>

#include "config/com_fixture.h"
#include "config/fixtures.h"

namespace {

constexpr HRESULT kBadFormat = static_cast<HRESULT>(0x8007000B);

class XmlConfigFileTest : public ComTest {
 protected:
  // Opens a document whose root holds one <v> element per given text.
  void OpenValues(const std::string& body) {
    path_ = WriteConfig("<?xml version=\"1.0\"?><root>" + body + "</root>", L"values.xml");
    ASSERT_EQ(S_OK, reader_.Open(path_.c_str()));
  }
  std::wstring path_;
  CXmlConfigFile reader_;
};

TEST_F(XmlConfigFileTest, GetBoolReadsFirstLetterAndFallsBackOnAnythingElse) {
  struct Case {
    const char* text;
    bool defaultValue;
    bool expected;
    HRESULT result;
  } cases[] = {
      {"yes", false, true, S_OK},  {"True", false, true, S_OK}, {"T", false, true, S_OK},
      {"no", true, false, S_OK},   {"FALSE", true, false, S_OK}, {"n", true, false, S_OK},
      {"1", true, true, kBadFormat}, {"0", false, false, kBadFormat}, {"", true, true, kBadFormat},
  };
  std::string body;
  for (const Case& c : cases) body += std::string("<v>") + c.text + "</v>";
  OpenValues(body);
  int i = 1;
  for (const Case& c : cases) {
    HRESULT hr = E_PENDING;
    bool value = reader_.GetBool((L"/root/v[" + std::to_wstring(i++) + L"]").c_str(), c.defaultValue, &hr);
    EXPECT_EQ(c.expected, value) << c.text;
    EXPECT_EQ(c.result, hr) << c.text;
  }
  HRESULT absent = E_PENDING;
  EXPECT_TRUE(reader_.GetBool(L"/root/missing", true, &absent));
  EXPECT_EQ(S_FALSE, absent);
}

TEST_F(XmlConfigFileTest, NumberGettersAcceptDecimalHexAndOctal) {
  OpenValues("<v>0x40</v><v>64</v><v>010</v><v>64KB</v><v>0xC0000005</v><v>-1</v><v></v><v>2.5</v><v>9999999999</v>");
  struct Case {
    const wchar_t* path;
    int32_t expected;
    HRESULT result;
  } ints[] = {
      {L"/root/v[1]", 64, S_OK},          {L"/root/v[2]", 64, S_OK},
      {L"/root/v[3]", 8, S_OK},           {L"/root/v[4]", -7, kBadFormat},
      {L"/root/missing", -7, S_FALSE},    {L"/root/v[7]", -7, S_OK},
      {L"/root/v[9]", 0x7FFFFFFF, S_OK},  // out of range saturates
  };
  for (const Case& c : ints) {
    HRESULT hr = E_PENDING;
    EXPECT_EQ(c.expected, reader_.GetInt(c.path, -7, &hr)) << c.path;
    EXPECT_EQ(c.result, hr) << c.path;
  }
  HRESULT hr = E_PENDING;
  EXPECT_EQ(3221225477LL, reader_.GetInt64(L"/root/v[5]", 0, &hr));
  EXPECT_EQ(S_OK, hr);
  EXPECT_EQ(-1LL, reader_.GetInt64(L"/root/v[6]", 0, &hr));
  EXPECT_EQ(9999999999LL, reader_.GetInt64(L"/root/v[9]", 0, &hr));
  EXPECT_DOUBLE_EQ(2.5, reader_.GetDouble(L"/root/v[8]", 0.0, &hr));
  EXPECT_EQ(S_OK, hr);
  EXPECT_DOUBLE_EQ(1.5, reader_.GetDouble(L"/root/v[4]", 1.5, &hr));
  EXPECT_EQ(kBadFormat, hr);
}

TEST_F(XmlConfigFileTest, GetChoiceMatchesItemsAsPrefixesOfTheValue) {
  OpenValues("<v>Both</v><v>backstop</v><v>b</v><v>front</v><v>x</v>");
  struct Case {
    const wchar_t* path;
    const wchar_t* choices;
    int32_t expected;
    HRESULT result;
  } cases[] = {
      {L"/root/v[1]", L"front|back|both", 2, S_OK},
      {L"/root/v[2]", L"front|back|both", 1, S_OK},
      {L"/root/v[3]", L"front|back|both", 9, kBadFormat},
      {L"/root/v[4]", L"front|back|both", 0, S_OK},
      {L"/root/v[5]", L"", 0, S_OK},
      {L"/root/v[5]", L"front|back|", 2, S_OK},  // a trailing "|" ends past the last item
      {L"/root/missing", L"front|back|both", 9, S_FALSE},
  };
  for (const Case& c : cases) {
    HRESULT hr = E_PENDING;
    EXPECT_EQ(c.expected, reader_.GetChoice(c.path, c.choices, 9, &hr)) << c.path << " " << c.choices;
    EXPECT_EQ(c.result, hr) << c.path << " " << c.choices;
  }
}

TEST_F(XmlConfigFileTest, GetStringCopiesTheTextOrTheDefaultAndReportsOverlongValues) {
  OpenValues("<v>QuorvelClient.exe</v><v>0123456789</v>");
  wchar_t buffer[8];
  HRESULT hr = E_PENDING;
  EXPECT_STREQ(L"dflt", reader_.GetString(L"/root/missing", buffer, 8, L"dflt", &hr));
  EXPECT_EQ(S_FALSE, hr);
  EXPECT_STREQ(L"0123456", reader_.GetString(L"/root/v[2]", buffer, 8, L"dflt", &hr));
  EXPECT_EQ(static_cast<HRESULT>(0x8007007A), hr);
  wchar_t big[64];
  EXPECT_STREQ(L"QuorvelClient.exe", reader_.GetString(L"/root/v[1]", big, 64, L"dflt", &hr));
  EXPECT_EQ(S_OK, hr);
}

TEST_F(XmlConfigFileTest, ResolvePathFollowsCurrentPathAndDotDotSteps) {
  OpenValues("");
  struct Case {
    const wchar_t* current;
    const wchar_t* path;
    const wchar_t* expected;  // null: E_INVALIDARG
  } cases[] = {
      {L"/quorvel/runtime/includeExceptions", L"unmanaged[1]", L"/quorvel/runtime/includeExceptions/unmanaged[1]"},
      {L"/quorvel/runtime/includeExceptions/unmanaged[1]", L"@first",
       L"/quorvel/runtime/includeExceptions/unmanaged[1]@first"},
      {L"/quorvel/runtime", L"@first", L"/quorvel/runtime/@first"},
      {L"/a/b", L"../x", L"/a/x"},
      {L"/a/b/c", L"../../x", L"/a/x"},
      {L"/a/b", L"..", L"/a/"},
      {L"/quorvel", L"..", L"/"},
      {L"", L"..", nullptr},
      {L"/a", L"/abs/path", L"/abs/path"},
      {L"", L"rel", L"/rel"},
  };
  for (const Case& c : cases) {
    wcscpy(reader_.currentPath, c.current);
    wchar_t out[260] = L"untouched";
    HRESULT hr = reader_.ResolvePath(c.path, out, 260);
    if (c.expected == nullptr) {
      EXPECT_EQ(E_INVALIDARG, hr) << c.current << " + " << c.path;
    } else {
      EXPECT_EQ(S_OK, hr) << c.current << " + " << c.path;
      EXPECT_STREQ(c.expected, out) << c.current << " + " << c.path;
    }
  }
}

TEST_F(XmlConfigFileTest, OverlongResolvedPathIsRefusedNotCut) {
  OpenValues("");
  std::wstring longName(250, L'n');
  wcscpy(reader_.currentPath, L"/quorvel/runtime");
  wchar_t out[260];
  EXPECT_EQ(E_INVALIDARG, reader_.ResolvePath(longName.c_str(), out, 260));
  EXPECT_EQ(E_INVALIDARG, reader_.SelectPath(longName.c_str()));
  EXPECT_STREQ(L"/quorvel/runtime", reader_.currentPath);
  EXPECT_EQ(S_OK, reader_.ResolvePath(L"short", out, 260));
  EXPECT_EQ(E_INVALIDARG, reader_.ResolvePath(L"short", out, 10));
}

TEST_F(XmlConfigFileTest, ReadsMoveTheCurrentPath) {
  WriteConfig(kExampleConfig);
  ASSERT_EQ(S_OK, reader_.Open((dir_ / L"QuorvelConfig.xml").c_str()));
  EXPECT_STREQ(L"", reader_.currentPath);
  ASSERT_EQ(S_OK, reader_.SelectPath(L"/quorvel/runtime"));
  EXPECT_TRUE(reader_.GetBool(L"enabled", false));
  EXPECT_STREQ(L"/quorvel/runtime", reader_.currentPath);
  EXPECT_EQ(128, reader_.GetInt(L"messagelogSize", 0));

  ASSERT_EQ(S_OK, reader_.SelectPath(L"/quorvel/runtime/includeExceptions"));
  ASSERT_EQ(S_OK, reader_.SelectPath(L"unmanaged[2]"));
  EXPECT_EQ(0xC0000094LL, reader_.GetInt64(L"@first", -1));
  EXPECT_EQ(0xC0000096LL, reader_.GetInt64(L"@last", -1));
  EXPECT_STREQ(L"/quorvel/runtime/includeExceptions/unmanaged[2]", reader_.currentPath);

  // The current path moves even when the value is absent.
  HRESULT hr = E_PENDING;
  EXPECT_EQ(5, reader_.GetInt(L"/quorvel/nothing/here", 5, &hr));
  EXPECT_EQ(S_FALSE, hr);
  EXPECT_STREQ(L"/quorvel/nothing", reader_.currentPath);

  // An attribute path after a name (not a "]") addresses no element.
  reader_.SelectPath(L"/quorvel/runtime/includeExceptions/unmanaged");
  EXPECT_EQ(-1LL, reader_.GetInt64(L"@first", -1, &hr));
}

TEST_F(XmlConfigFileTest, ReadTextResults) {
  OpenValues("<v a=\"1\">text</v>");
  BSTR value = nullptr;
  EXPECT_EQ(S_OK, reader_.ReadText(L"/root/v", &value, nullptr));
  EXPECT_STREQ(L"text", value);
  SysFreeString(value);
  EXPECT_EQ(S_OK, reader_.ReadText(L"/root/v@a", &value, nullptr));
  EXPECT_STREQ(L"1", value);
  SysFreeString(value);
  EXPECT_EQ(S_FALSE, reader_.ReadText(L"/root/v@b", &value, L"d"));
  EXPECT_STREQ(L"d", value);
  SysFreeString(value);
  EXPECT_EQ(E_FAIL, reader_.ReadText(L"/root/none", &value, nullptr));
  EXPECT_EQ(nullptr, value);
  EXPECT_GT(0, reader_.ReadText(L"/root/v[", &value, L"d"));  // not a valid path
  SysFreeString(value);
  EXPECT_EQ(E_INVALIDARG, reader_.ReadText(L"", &value, nullptr));
  EXPECT_EQ(E_INVALIDARG, reader_.ReadText(nullptr, &value, nullptr));
}

TEST_F(XmlConfigFileTest, WithoutDocumentEverythingIsBlank) {
  BSTR value = nullptr;
  EXPECT_EQ(static_cast<HRESULT>(0x80040007), reader_.ReadText(L"/a", &value, L"x"));
  EXPECT_EQ(static_cast<HRESULT>(0x80040007), reader_.SelectPath(L"/a"));
  HRESULT hr = E_PENDING;
  EXPECT_EQ(7, reader_.GetInt(L"/a", 7, &hr));
  EXPECT_EQ(static_cast<HRESULT>(0x80040007), hr);
}

TEST_F(XmlConfigFileTest, SyntaxErrorReturnsParserCodeAndWritesOneDebugLine) {
  std::wstring path = WriteConfig("<quorvel><runtime></quorvel", L"broken.xml");
  testing_support::DebugOutputCapture capture;
  HRESULT hr = reader_.Open(path.c_str());
  EXPECT_GT(0, hr);
  EXPECT_NE(static_cast<HRESULT>(0x80070002), hr);
  std::vector<std::wstring> lines = capture.Lines();
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0u, lines[0].find(L"XML parse error 0x")) << testing_support::Narrow(lines[0]);
  EXPECT_NE(std::wstring::npos, lines[0].find(L" at line #"));
  EXPECT_EQ(L'\n', lines[0].back());
}

TEST_F(XmlConfigFileTest, MissingFileIsFileNotFoundAndSilent) {
  testing_support::DebugOutputCapture capture;
  EXPECT_EQ(static_cast<HRESULT>(0x80070002), reader_.Open((dir_ / L"absent.xml").c_str()));
  EXPECT_TRUE(capture.Lines().empty());
}

TEST_F(XmlConfigFileTest, SecondOpenReusesTheDocumentAndEmptiesCurrentPath) {
  OpenValues("<v>1</v>");
  IXMLDOMDocument2* first = reader_.document;
  reader_.SelectPath(L"/root");
  std::wstring other = WriteConfig(kExampleConfig);
  ASSERT_EQ(S_OK, reader_.Open(other.c_str()));
  EXPECT_EQ(first, reader_.document);
  EXPECT_STREQ(L"", reader_.currentPath);
  EXPECT_EQ(128, reader_.GetInt(L"/quorvel/runtime/messagelogSize", 0));
  reader_.Close();
  EXPECT_EQ(nullptr, reader_.document);
}

TEST(XmlConfigFileWithoutCom, OpenReturnsTheCreationFailure) {
  // This test's thread has not initialized COM.
  CXmlConfigFile reader;
  EXPECT_EQ(static_cast<HRESULT>(0x800401F0), reader.Open(L"C:\\whatever.xml"));  // CO_E_NOTINITIALIZED
  EXPECT_EQ(nullptr, reader.document);
}

}  // namespace
