// The rules that decide how often the removal tries: the passes of one eject command, the
// dialog's retries, and how many running copies make the relocation wait. Each table row
// is a sequence of events and what the rule must answer to it.
#include "EjectPasses.h"
#include "InstanceLimit.h"
#include "RetryDecision.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Pass {
    EjectResult result;
    long devicesEjected;
};

struct PassCase {
    const char* name;
    std::vector<Pass> passes;   // what each pass reports; more than the loop takes is fine
    size_t taken;               // passes the loop runs
    EjectResult result;         // the command's result
};

} // namespace

TEST(EjectPassLoop, StopsAtTheFirstResultAfterDevicesAreGoneOrAfterTenInconclusivePasses)
{
    const Pass none = {EJECT_RESULT_INCONCLUSIVE, 0}, one = {EJECT_RESULT_INCONCLUSIVE, 1};
    const std::vector<Pass> nothingEver(12, none);
    std::vector<Pass> ejectingEveryPass(12, one);
    std::vector<Pass> lateRefusal(9, none);
    lateRefusal.push_back({EJECT_RESULT_REFUSED, 0});
    std::vector<Pass> refusalAfterTen(10, none);
    refusalAfterTen.push_back({EJECT_RESULT_REFUSED, 0});

    const PassCase cases[] = {
        {"nothing to eject: ten passes, done", nothingEver, 10, EJECT_RESULT_DONE},
        {"ejected at once", {{EJECT_RESULT_DONE, 2}, none}, 1, EJECT_RESULT_DONE},
        {"refused at once", {{EJECT_RESULT_REFUSED, 0}, none}, 1, EJECT_RESULT_REFUSED},
        {"failed at once", {{EJECT_RESULT_FAILED, 0}, none}, 1, EJECT_RESULT_FAILED},
        {"ejected one, then none left", {one, none, none}, 2, EJECT_RESULT_DONE},
        {"devices in every pass: the limit ends it", ejectingEveryPass, 10, EJECT_RESULT_DONE},
        {"none, one, none: stops after the empty pass", {none, one, none, none}, 3, EJECT_RESULT_DONE},
        {"refusal in the tenth pass counts", lateRefusal, 10, EJECT_RESULT_REFUSED},
        {"a refusal after ten passes is never asked for", refusalAfterTen, 10, EJECT_RESULT_DONE},
        {"done with no count, then more passes are not run", {{EJECT_RESULT_DONE, 0}, one}, 1, EJECT_RESULT_DONE},
    };
    for (const PassCase& c : cases) {
        EjectPasses loop;
        size_t taken = 0;
        bool goOn = true;
        while (goOn && taken < c.passes.size()) {
            goOn = loop.Take(c.passes[taken].result, c.passes[taken].devicesEjected);
            ++taken;
        }
        EXPECT_FALSE(goOn) << c.name << ": the loop wanted more passes than the row has";
        EXPECT_EQ(c.taken, taken) << c.name;
        EXPECT_EQ(c.result, loop.result) << c.name;
    }
}

TEST(DialogRetries, RetryTenRefusalsThenGiveUpAndIgnoreOtherResults)
{
    struct Case {
        const char* name;
        WPARAM result;
        unsigned long retries;
        RetryDecision decision;
    } cases[] = {
        {"done at once", 0, 0, RETRY_FINISH},
        {"done after retries", 0, 7, RETRY_FINISH},
        {"refused, first retry", EjectResultParam(EJECT_RESULT_REFUSED), 0, RETRY_AGAIN},
        {"failed counts like refused", EjectResultParam(EJECT_RESULT_FAILED), 0, RETRY_AGAIN},
        {"refused, tenth retry", EjectResultParam(EJECT_RESULT_REFUSED), 9, RETRY_AGAIN},
        {"refused, retries used up", EjectResultParam(EJECT_RESULT_REFUSED), 10, RETRY_GIVE_UP},
        {"failed, retries used up", EjectResultParam(EJECT_RESULT_FAILED), 10, RETRY_GIVE_UP},
        {"inconclusive never reaches the dialog: ignored", EjectResultParam(EJECT_RESULT_INCONCLUSIVE), 0, RETRY_IGNORE},
        {"-3 is no result", EjectResultParam(static_cast<EjectResult>(-3)), 0, RETRY_IGNORE},
        {"2 is no result", 2, 0, RETRY_IGNORE},
        // -2 as a 32-bit value is not the message's -2 on 64-bit Windows: results are sign-extended.
        {"-2 without sign extension", static_cast<WPARAM>(0xFFFFFFFEu), 0,
         sizeof(WPARAM) == 4 ? RETRY_AGAIN : RETRY_IGNORE},
    };
    for (const Case& c : cases) EXPECT_EQ(c.decision, DecideOnResult(c.result, c.retries)) << c.name;

    // Eleven failures in a row: ten retries, then the dialog gives up with the count at 10.
    unsigned long retries = 0;
    std::vector<RetryDecision> seen;
    for (int i = 0; i < 11; ++i) {
        seen.push_back(DecideOnResult(EjectResultParam(EJECT_RESULT_REFUSED), retries));
        if (seen.back() == RETRY_AGAIN) ++retries;
    }
    EXPECT_EQ(std::vector<RetryDecision>(10, RETRY_AGAIN), std::vector<RetryDecision>(seen.begin(), seen.end() - 1));
    EXPECT_EQ(RETRY_GIVE_UP, seen.back());
    EXPECT_EQ(10ul, retries);
}

TEST(InstanceLimit, TwoRunningCopiesAreFineAThirdWaitsOnceAndCountsAgain)
{
    struct Case {
        const char* name;
        std::vector<int> counts;       // what each count answers
        bool allows;
        std::string events;            // 'c' a count, 'w' the wait
    } cases[] = {
        {"alone", {1, 9}, true, "c"},
        {"two running", {2, 9}, true, "c"},
        {"three: one has ended after the wait", {3, 2}, true, "cwc"},
        {"three, still three after the wait", {3, 3}, false, "cwc"},
        {"many, then fewer", {7, 1}, true, "cwc"},
        {"no snapshot counts nothing", {0, 9}, true, "c"},
    };
    for (const Case& c : cases) {
        std::string events;
        size_t next = 0;
        unsigned long waited = 0;
        bool allows = InstanceLimitAllows([&] { events += 'c'; return c.counts.at(next++); },
                                          [&](unsigned long ms) { events += 'w'; waited += ms; });
        EXPECT_EQ(c.allows, allows) << c.name;
        EXPECT_EQ(c.events, events) << c.name;
        EXPECT_EQ(c.events.find('w') != std::string::npos ? 1000ul : 0ul, waited) << c.name;
    }
}
