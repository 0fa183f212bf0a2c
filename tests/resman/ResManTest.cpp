// The resource tracker: name lookups, reports on the logger's broadcasts (including the
// replay of a start that happened before a tracker registered) and teardown.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <zvcrypt/Blob.h>
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/ResMan.h>
#include <zvcrypt/zvMessage.h>
#include "ChildProcess.h"
#include "Occurrences.h"
#include "StderrCapture.h"

using zvcrypt::Blob;
using zvcrypt::zvMessage;
using zvcrypt::zvResManInit;

TEST(ResourceTracker, NamesOnlyWhatWasRecordedAndReportsNothingWhenEmpty)
{
    const DWORD tid = GetCurrentThreadId();
    EXPECT_STREQ("nothing found", zvResManInit::findName(tid).getString());
    ASSERT_TRUE(zvResManInit::addHandle(tid, Blob("ui thread")));
    EXPECT_STREQ("ui thread", zvResManInit::findName(tid).getString());
    EXPECT_TRUE(zvResManInit::removeHandle(tid));
    EXPECT_STREQ("nothing found", zvResManInit::findName(tid).getString());

    StderrCapture err;
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    EXPECT_NE(std::string::npos, err.text().find("->CALLING zvMessageAction "));
    EXPECT_EQ(0u, Occurrences(err.text(), "[zvResMan]") + Occurrences(err.text(), "[zvResman]"));
}

TEST(ResourceTracker, ALateTrackerIsToldOfAnEarlierStartAndLeavesTheRecordsAlone)
{
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    const unsigned long starts = zvMessage::getHistoryCount();
    ASSERT_GE(starts, 1ul);
    ASSERT_TRUE(zvResManInit::addHandle(0x1234, Blob("worker")));
    ASSERT_TRUE(zvResManInit::addMemory(0x5678, "splash bitmap"));
    std::string text;
    {
        StderrCapture err;
        { zvResManInit late; }  // registration replays the history at once
        text = err.text();
    }
    EXPECT_EQ(starts, Occurrences(text, "[zvResMan]\tzvResManInit::zvMessageAction:  Handle (0x"));
    EXPECT_EQ(starts, Occurrences(text, " = 4660) worker stayed open"));
    EXPECT_EQ(starts, Occurrences(text, ") splash bitmap stayed open"));
    EXPECT_EQ(0u, Occurrences(text, "dtor"));
    EXPECT_LT(text.find("Handle (0x"), text.find("memory (0x"));  // handles first
    EXPECT_STREQ("worker", zvResManInit::findName(0x1234).getString());
    zvResManInit::removeHandle(0x1234);
    zvResManInit::removeMemory(0x5678);
}

TEST(ResourceTracker, TheLastTrackerReportsLeftoversAndLookupsFailAfterwards)
{
    ChildResult probe = runSibling("resman_exit_probe.exe");
    EXPECT_EQ(0u, probe.exitCode);
    EXPECT_NE(std::string::npos, probe.out.find("running: probe handle\r\n"));
    EXPECT_NE(std::string::npos, probe.out.find("after exit: noting found mpHandleList==NULL\r\n"));
    std::string err = probe.err;
    EXPECT_NE(std::string::npos, err.find("[zvResMan]\tdtor Handle (0x"));
    EXPECT_LT(err.find("dtor Handle"), err.find("dtor memory"));
    std::transform(err.begin(), err.end(), err.begin(), ::tolower);  // %p in either case
    for (const char* line : {"beef) probe handle stayed open", "f00d) probe block stayed open",
                             "f00e)  stayed open", "[zvresman] mphandlelist==null"})
        EXPECT_NE(std::string::npos, err.find(line)) << line;
}
