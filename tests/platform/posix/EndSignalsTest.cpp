// The handler that removes a named stand-in on SIGINT, SIGTERM and SIGHUP: there only while the stand-in is written,
// leaving alone a signal the program ignores, and giving back the program's own handling afterwards.
#include "EndSignals.h"
#include "PosixFiles.h"
#include "TestFiles.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OwnHandler(int) {}

using Handler = void (*)(int);

Handler HandlerOf(int signal) {
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

void SetHandler(int signal, Handler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigaction(signal, &action, nullptr);
}

// One write after another, each with the program's handling changed in between, as a program may change it.
TEST(EndSignals, AreHandledOnlyWhileAStandInIsWritten) {
    TempDir dir;
    PosixFiles files(false);
    for (const Handler before : {SIG_DFL, SIG_IGN, OwnHandler, SIG_DFL}) {
        for (const int signal : kEndSignals) {
            SetHandler(signal, before);
        }
        for (const bool completed : {true, false}) {
            {
                TextStream stream = files.CreateTextFile(dir / "itemlist.conf");
                for (const int signal : kEndSignals) {
                    const Handler during = HandlerOf(signal);
                    EXPECT_TRUE(before == SIG_IGN ? during == SIG_IGN : during != before) << signal;
                }
                stream.Write("new");
                if (completed) {
                    stream.Close();
                }
            }
            for (const int signal : kEndSignals) {
                EXPECT_EQ(HandlerOf(signal), before) << signal << " after a write completed " << completed;
            }
        }
    }
}

// A signal that comes while the three are held back is delivered as soon as the hold ends, not before.
TEST(EndSignals, AreDeliveredWhenTheHoldEnds) {
    EXPECT_EXIT(
        {
            {
                const EndSignals::Hold hold;
                std::raise(SIGTERM);
                std::fputs("held", stderr);
            }
            std::fputs(" and still running", stderr);
            std::exit(0);
        },
        testing::KilledBySignal(SIGTERM), "^held$");
}

} // namespace
