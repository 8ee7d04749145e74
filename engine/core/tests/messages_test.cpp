#include "engine/core/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/core/resources.h"
#include "engine/core/tests/test_support.h"

namespace {

using vok_test::CapturedMessages;

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { vok::ErrorClear(); }
  void TearDown() override {
    vok::ErrorClear();
    vok::SetLogStream(nullptr);
    vok::SetLogResources(nullptr);
  }
};

TEST_F(MessagesTest, ErrorSetReturnsCodeAndPrintFormats) {
  EXPECT_EQ(vok::ErrorSet("Place::Op", -1, "err%s%d", "Code", 7), -1);
  EXPECT_EQ(vok::ErrorSet("Other", 3, nullptr), 3);
  CapturedMessages messages;
  vok::ErrorPrint();
  EXPECT_EQ(messages.Output(), "ERROR -1: Place::Op: errCode7\nERROR 3: Other\n");
  vok::ErrorClear();
  EXPECT_EQ(vok::ErrorCount(), 0);
}

TEST_F(MessagesTest, SeventyErrorsKeepSixtyFourWithTheLatestLast) {
  for (int i = 1; i <= 70; ++i) vok::ErrorSet("p", -1, "error %d", i);
  EXPECT_EQ(vok::ErrorCount(), 64);
  vok::ErrorRecord record;
  ASSERT_TRUE(vok::ErrorAt(62, &record));
  EXPECT_EQ(record.message, "error 63");
  ASSERT_TRUE(vok::ErrorAt(63, &record));
  EXPECT_EQ(record.message, "error 70");
  EXPECT_FALSE(vok::ErrorAt(64, &record));
}

TEST_F(MessagesTest, ErrorMessageIsCutTo1023Bytes) {
  const std::string long_text(3000, 'x');
  vok::ErrorSet("p", -1, "%s", long_text.c_str());
  vok::ErrorRecord record;
  ASSERT_TRUE(vok::ErrorAt(0, &record));
  EXPECT_EQ(record.message.size(), 1023u);
}

TEST_F(MessagesTest, ImmediateMessages) {
  CapturedMessages messages;
  vok::ErrorMessage("bad %d", 1);
  vok::WarningMessage("odd %s", "thing");
  EXPECT_EQ(messages.Errors(), "\nbad 1\n\nWARNING: odd thing\n");
  EXPECT_EQ(messages.Output(), "");
}

TEST_F(MessagesTest, LogIsDroppedWhileTheStreamIsStandardOutput) {
  CapturedMessages messages;
  vok::LogPrint("dropped %d\n", 1);
  EXPECT_EQ(messages.Output(), "");
  vok::LogPrintEcho("echo %d\n", 2);
  EXPECT_EQ(messages.Output(), "echo 2\n");
}

TEST_F(MessagesTest, LogFollowsVerbosity) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  vok::SetLogStream(log);
  vok::Resources resources;
  vok::SetLogResources(&resources);
  vok::LogPrint("a%d", 1);
  resources.PutInt("System", "Verbosity", -1);
  vok::LogPrint("b");
  vok::LogWrite("c");
  resources.PutInt("System", "Verbosity", 2);
  EXPECT_EQ(vok::LogVerbosity(), 2);
  vok::LogPrint("%s", "d");
  const char* empty = "";
  vok::LogPrint(empty, 0);
  std::rewind(log);
  char text[16] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text - 1, log), 3u);
  EXPECT_STREQ(text, "a1d");
  std::fclose(log);
}

TEST_F(MessagesTest, PrintAndExitReturnsTheCode) {
  CapturedMessages messages;
  EXPECT_EQ(vok::PrintAndExit("stop", 5), 5);
  EXPECT_EQ(messages.Output(), "stop ");
}

TEST_F(MessagesTest, ErrorListIsSafeFromSeveralThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 500; ++i) {
        vok::ErrorSet("thread", t, "error %d", i);
        vok::LogPrint("log %d\n", i);
        if (i % 100 == 99) vok::ErrorCount();
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(vok::ErrorCount(), 64);
}

}  // namespace
