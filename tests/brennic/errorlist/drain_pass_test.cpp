// Drain passes run one at a time on the test's thread, on a list loaded by the real
// load step: which queue a pass takes, and what it does to the file.
#include <thread>

#include "core/client_identifier.h"
#include "core/file_text.h"
#include "error_list_fixture.h"
#include "errorlist/error_writer.h"

using namespace testing_support;

namespace {

ErrorRecord Event(const wchar_t* id, const wchar_t* info) {
  ErrorRecord record;
  record.id = id;
  record.info = info;
  record.time = {2010, 8, 6, 14, 9, 5, 3, 0};
  return record;
}

const char kEntry7[] = "<err id=\"7\" info=\"disk full\" time=\"2010-8-14 9:5:3\"/>\r\n";
const char kEntry8[] = "<err id=\"8\" info=\"late\" time=\"2010-8-14 9:5:3\"/>\r\n";

std::string Opening() { return ToFileText(L"<errList cid=\"" + GetClientIdentifier() + L"\" >\r\n"); }

using ErrorDrainPass = ErrorListTest;

// Intake fills queue1 first; the first pass drains queue0 and flips, so a record
// reaches the file on the second pass.
TEST_F(ErrorDrainPass, RecordIsWrittenByTheSecondPass) {
  std::string fresh = ListText();
  ASSERT_EQ(67u, fresh.size());
  list_.FillQueue().push_back(Event(L"7", L"disk full"));
  int idle = 0;

  ASSERT_TRUE(RunErrorDrainPass(list_, &idle));
  EXPECT_EQ(1, idle);
  EXPECT_EQ(fresh, ListText());
  EXPECT_EQ(0, list_.fillQueue);

  ASSERT_TRUE(RunErrorDrainPass(list_, &idle));
  EXPECT_EQ(0, idle);
  EXPECT_EQ(1, list_.fillQueue);
  EXPECT_TRUE(list_.queue0.empty());
  EXPECT_TRUE(list_.queue1.empty());
  EXPECT_EQ(fresh.substr(0, 55) + kEntry7 + "</errList>\r\n", ListText());
}

TEST_F(ErrorDrainPass, LaterEntriesFollowEarlierOnesBeforeOneClosingElement) {
  std::string fresh = ListText();
  int idle = 0;
  list_.DrainQueue().push_back(Event(L"7", L"disk full"));
  RunErrorDrainPass(list_, &idle);
  list_.DrainQueue().push_back(Event(L"8", L"late"));
  RunErrorDrainPass(list_, &idle);
  EXPECT_EQ(fresh.substr(0, 55) + kEntry7 + kEntry8 + "</errList>\r\n", ListText());
}

// A file left by an earlier load of the same program keeps its entries.
TEST_F(ErrorDrainPass, ExtendsAFileFromAnEarlierLoadInPlace) {
  std::string earlier = "<errList cid=\"EARLIER\" >\r\n" + std::string(kEntry8) + "</errList>\r\n";
  ASSERT_TRUE(WriteTextFile(list_.listPath, earlier));
  int idle = 0;
  list_.DrainQueue().push_back(Event(L"7", L"disk full"));
  RunErrorDrainPass(list_, &idle);
  EXPECT_EQ("<errList cid=\"EARLIER\" >\r\n" + std::string(kEntry8) + kEntry7 + "</errList>\r\n", ListText());
}

// A send deletes the list file; the next pass must make a whole list again, not
// entries without their opening element.
TEST_F(ErrorDrainPass, RecreatedFileGetsItsOpeningElement) {
  ASSERT_TRUE(DeleteFileW(list_.listPath.c_str()));
  int idle = 0;
  list_.DrainQueue().push_back(Event(L"7", L"disk full"));
  RunErrorDrainPass(list_, &idle);
  EXPECT_EQ(Opening() + kEntry7 + "</errList>\r\n", ListText());
}

TEST_F(ErrorDrainPass, FileShorterThanTheClosingElementIsRewrittenFromItsStart) {
  ASSERT_TRUE(WriteTextFile(list_.listPath, "junk"));
  int idle = 0;
  list_.DrainQueue().push_back(Event(L"7", L"disk full"));
  RunErrorDrainPass(list_, &idle);
  EXPECT_EQ(Opening() + kEntry7 + "</errList>\r\n", ListText());
}

// A quote or "<" in one entry must not break the entries after it.
TEST_F(ErrorDrainPass, MarkupInTextsKeepsTheFileWellFormed) {
  int idle = 0;
  list_.DrainQueue().push_back(Event(L"say \"hi\"", L"<b> & </b>"));
  list_.DrainQueue().push_back(Event(L"8", L"late"));
  RunErrorDrainPass(list_, &idle);
  std::string text = ListText();
  EXPECT_NE(std::string::npos,
            text.find("<err id=\"say &quot;hi&quot;\" info=\"&lt;b&gt; &amp; &lt;/b&gt;\" time=\"2010-8-14 9:5:3\"/>\r\n" +
                      std::string(kEntry8) + "</errList>\r\n"))
      << text;
}

// Without a file (the load step could not open it) the records are dropped.
TEST_F(ErrorDrainPass, WithoutAListPathRecordsAreDiscarded) {
  list_.listPath.clear();
  int idle = 0;
  list_.DrainQueue().push_back(Event(L"7", L"disk full"));
  ASSERT_TRUE(RunErrorDrainPass(list_, &idle));
  EXPECT_TRUE(list_.queue0.empty());
  EXPECT_TRUE(list_.queue1.empty());
  EXPECT_EQ(0, idle);
}

TEST_F(ErrorDrainPass, IsSkippedWhileAnotherThreadHoldsTheMutex) {
  HANDLE mutex = list_.queueMutex;
  std::thread holder([mutex] {
    WaitForSingleObject(mutex, INFINITE);
    Sleep(2600);
    ReleaseMutex(mutex);
  });
  Sleep(100);
  list_.DrainQueue().push_back(Event(L"7", L"disk full"));
  int idle = 3;
  DWORD started = GetTickCount();
  EXPECT_FALSE(RunErrorDrainPass(list_, &idle));
  EXPECT_GE(GetTickCount() - started, 1900u);
  EXPECT_EQ(3, idle);
  EXPECT_EQ(1, list_.fillQueue);
  EXPECT_EQ(1u, list_.queue0.size());
  holder.join();
}

}  // namespace
