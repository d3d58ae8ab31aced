// SIGINT and SIGTERM: the first asks for the window to close, a second one
// ends the process with the default action.
#include "platform/sdl/quit_signals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace platform {
namespace {

volatile std::sig_atomic_t outsideCalls = 0;
void OutsideHandler(int) { outsideCalls = outsideCalls + 1; }

TEST(SdlQuitSignals, FirstSignalIsTakenOnceAndRestoreGivesBackTheOldHandler) {
  struct sigaction outside {};
  outside.sa_handler = OutsideHandler;
  struct sigaction saved {};
  sigaction(SIGTERM, &outside, &saved);
  InstallQuitSignals();
  EXPECT_FALSE(TakeQuitSignal());
  std::raise(SIGTERM);
  EXPECT_TRUE(TakeQuitSignal());
  EXPECT_FALSE(TakeQuitSignal());
  EXPECT_EQ(outsideCalls, 0);
  RestoreQuitSignals();
  std::raise(SIGTERM);
  EXPECT_EQ(outsideCalls, 1);
  EXPECT_FALSE(TakeQuitSignal());
  sigaction(SIGTERM, &saved, nullptr);
}

TEST(SdlQuitSignalsDeathTest, SecondSignalEndsTheProcessEvenAfterTheFirstWasTaken) {
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
