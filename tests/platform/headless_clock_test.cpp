#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/win32.h"
#include "support/headless_env.h"

namespace {

using platform::HeadlessBackend;
using platform::ScriptEvent;
using testsupport::HeadlessEnv;

TEST(HeadlessClockTest, TheCounterWrapsAndUnsignedDifferencesStayRight) {
  HeadlessEnv env({.clockStart = 0xFFFFFFF0u});
  const DWORD start = timeGetTime();
  EXPECT_EQ(start, 0xFFFFFFF0u);
  Sleep(0x30);
  const DWORD later = timeGetTime();
  EXPECT_EQ(later, 0x20u);
  EXPECT_EQ(later - start, 0x30u);
  EXPECT_EQ(env->elapsed(), 0x30u);
}

TEST(HeadlessClockTest, OnlyTheContractedCallsMoveTheClock) {
  HeadlessEnv env;
  const DWORD start = timeGetTime();
  RECT box;
  SetRect(&box, 0, 0, 1, 1);
  GetAsyncKeyState(VK_SPACE);
  EXPECT_EQ(timeGetTime(), start) << "a pass of work without sleeping sees one clock value";

  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(timeGetTime(), start + 1) << "an empty peek moves 1 ms";
  PostQuitMessage(0);
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(timeGetTime(), start + 1) << "a peek that finds a message does not";
  Sleep(250);
  EXPECT_EQ(timeGetTime(), start + 251);
  Sleep(0);
  EXPECT_EQ(timeGetTime(), start + 251);
}

TEST(HeadlessClockTest, ALoopThatOnlyReadsTheClockStillSeesTimePass) {
  HeadlessEnv env;
  GetAsyncKeyState(VK_SPACE);  // the count of idle readings starts here
  const DWORD start = env->now();
  for (std::uint32_t i = 0; i < HeadlessBackend::kIdleReadsPerMs; ++i) {
    ASSERT_EQ(timeGetTime(), start) << "reading " << i;
  }
  EXPECT_EQ(timeGetTime(), start + 1);

  // Any other call in between starts the count again.
  const DWORD now = timeGetTime();
  for (std::uint32_t i = 0; i < 3 * HeadlessBackend::kIdleReadsPerMs; ++i) {
    ASSERT_EQ(timeGetTime(), now);
    if (i % 500 == 0) GetAsyncKeyState(VK_ESCAPE);
  }

  // A busy-wait on the clock finishes, and on time.
  const DWORD waitStart = timeGetTime();
  while (timeGetTime() - waitStart <= 20) {
  }
  EXPECT_EQ(timeGetTime() - waitStart, 21u);
}

TEST(HeadlessClockTest, ScriptedEventsTakeEffectWhenTheClockReachesThem) {
  HeadlessEnv env;
  env->AddEvents({{100, ScriptEvent::Kind::Press, VK_RIGHT}, {40, ScriptEvent::Kind::Press, VK_DOWN}});
  Sleep(39);
  EXPECT_EQ(GetAsyncKeyState(VK_DOWN), 0);
  Sleep(1);
  EXPECT_NE(GetAsyncKeyState(VK_DOWN) & 0x8000, 0);
  Sleep(59);
  EXPECT_EQ(GetAsyncKeyState(VK_RIGHT), 0);
  Sleep(1);
  EXPECT_NE(GetAsyncKeyState(VK_RIGHT) & 0x8000, 0);

  // Events added for a time already passed apply at the next look.
  env->AddEvent({10, ScriptEvent::Kind::Release, VK_RIGHT});
  EXPECT_EQ(GetAsyncKeyState(VK_RIGHT), 0);

  // A long sleep stops at each event, so each message carries its own time.
  env->AddEvents({{500, ScriptEvent::Kind::Press, 'A'}, {700, ScriptEvent::Kind::Press, 'B'}});
  Sleep(1000);
  MSG a;
  MSG b;
  MSG c;
  ASSERT_TRUE(PeekMessageA(&a, nullptr, 0, 0, PM_REMOVE));  // DOWN
  ASSERT_TRUE(PeekMessageA(&a, nullptr, 0, 0, PM_REMOVE));  // RIGHT
  ASSERT_TRUE(PeekMessageA(&a, nullptr, 0, 0, PM_REMOVE));  // RIGHT released
  ASSERT_TRUE(PeekMessageA(&b, nullptr, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&c, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(b.wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(b.time, env->options().clockStart + 500);
  EXPECT_EQ(c.time, env->options().clockStart + 700);
}

TEST(HeadlessClockTest, WaitMessageJumpsToTheNextEventAndNeverHangs) {
  HeadlessEnv env;
  env->AddEvent({3000, ScriptEvent::Kind::Activate, 0});
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 3000u);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_ACTIVATE);

  // Nothing left to come and no deadline: 1 ms per wait.
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 3001u);

  // With a deadline pending, a wait with nothing to come runs to it.
  int calls = 0;
  env->SetDeadline(5000, [&calls] { ++calls; });
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 5000u);
  EXPECT_EQ(calls, 1);
  WaitMessage();
  Sleep(100);
  EXPECT_EQ(calls, 1) << "the deadline fires once";

  // Something already queued: no wait at all.
  PostQuitMessage(0);
  const std::uint32_t before = env->elapsed();
  WaitMessage();
  EXPECT_EQ(env->elapsed(), before);
}

TEST(HeadlessClockTest, TheDeadlineFiresAtItsTimeEvenInsideALongSleep) {
  HeadlessEnv env({.clockStart = 0xFFFFFF00u});
  std::vector<std::uint32_t> firedAt;
  env->SetDeadline(1000, [&] { firedAt.push_back(env->elapsed()); });
  Sleep(999);
  EXPECT_TRUE(firedAt.empty());
  Sleep(5000);
  ASSERT_EQ(firedAt.size(), 1u);
  EXPECT_EQ(firedAt[0], 1000u);
  EXPECT_EQ(env->elapsed(), 5999u) << "a callback that returns lets the sleep finish";
}

TEST(HeadlessClockTest, TheCallWatcherSeesEveryCallButClockReads) {
  HeadlessEnv env;
  int calls = 0;
  env->SetCallWatcher([&calls] { ++calls; });
  timeGetTime();
  EXPECT_EQ(calls, 0) << "clock reads are not counted";
  GetAsyncKeyState(VK_SPACE);
  Sleep(1);
  EXPECT_EQ(calls, 2);
}

TEST(HeadlessClockTest, ScriptKeyNamesMapToVirtualKeys) {
  const std::pair<const char*, int> known[] = {{"LEFT", VK_LEFT},
                                               {"down", VK_DOWN},
                                               {"Space", VK_SPACE},
                                               {"ESCAPE", VK_ESCAPE},
                                               {"RETURN", VK_RETURN},
                                               {"F12", VK_F12},
                                               {"F1", VK_F1},
                                               {"q", 'Q'},
                                               {"7", '7'}};
  for (const auto& [name, key] : known) EXPECT_EQ(platform::VirtualKeyFromName(name), key) << name;
  for (const char* unknown : {"", "F0", "F13", "F01", "LEFTY", "?", "ESC"}) {
    EXPECT_EQ(platform::VirtualKeyFromName(unknown), -1) << unknown;
  }
}

}  // namespace
