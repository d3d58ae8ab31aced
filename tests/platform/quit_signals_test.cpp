// SIGINT, SIGTERM and SIGHUP: the first asks for the window to close, a
// second one ends the process with the default action.
#include "platform/quit_signals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace platform {
namespace {

volatile std::sig_atomic_t outsideCalls = 0;
void OutsideHandler(int) { outsideCalls = outsideCalls + 1; }

TEST(QuitSignals, FirstSignalIsTakenOnceAndRestoreGivesBackTheOldHandler) {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    outsideCalls = 0;
    struct sigaction outside {};
    outside.sa_handler = OutsideHandler;
    struct sigaction saved {};
    sigaction(signalNumber, &outside, &saved);
    InstallQuitSignals();
    EXPECT_FALSE(TakeQuitSignal());
    std::raise(signalNumber);
    EXPECT_TRUE(TakeQuitSignal());
    EXPECT_FALSE(TakeQuitSignal());
    EXPECT_EQ(outsideCalls, 0);
    RestoreQuitSignals();
    std::raise(signalNumber);
    EXPECT_EQ(outsideCalls, 1);
    EXPECT_FALSE(TakeQuitSignal());
    sigaction(signalNumber, &saved, nullptr);
  }
}

// As under nohup: the terminal closing must not end the program.
TEST(QuitSignals, ASignalIgnoredFromTheStartStaysIgnored) {
  const auto before = std::signal(SIGHUP, SIG_IGN);
  InstallQuitSignals();
  std::raise(SIGHUP);
  EXPECT_FALSE(TakeQuitSignal());
  RestoreQuitSignals();
  std::signal(SIGHUP, before);
}

TEST(QuitSignalsDeathTest, SecondSignalEndsTheProcessEvenAfterTheFirstWasTaken) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallQuitSignals();
        std::raise(SIGTERM);
        if (!TakeQuitSignal()) std::exit(3);
        std::raise(SIGINT);
        std::exit(0);
      },
      testing::KilledBySignal(SIGINT), "");
}

}  // namespace
}  // namespace platform
