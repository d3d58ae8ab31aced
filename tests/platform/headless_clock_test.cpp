#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/dsound.h"
#include "platform/headless/headless_backend.h"
#include "platform/mixer.h"
#include "platform/win32.h"
#include "support/headless_env.h"

namespace {

using platform::HeadlessBackend;
using Kind = platform::ScriptEvent::Kind;
using support::HeadlessEnv;

TEST(HeadlessClockTest, TheCounterWrapsAndOnlyTheContractedCallsMoveIt) {
  HeadlessEnv env({.clockStart = 0xFFFFFFF0u});
  const DWORD start = timeGetTime();
  EXPECT_EQ(start, 0xFFFFFFF0u);
  GetAsyncKeyState(VK_SPACE);
  EXPECT_EQ(timeGetTime(), start) << "a pass of work without sleeping sees one clock value";
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(timeGetTime(), start + 1) << "an empty peek moves 1 ms";
  PostQuitMessage(0);
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  Sleep(0);
  EXPECT_EQ(timeGetTime(), start + 1) << "a peek that finds a message does not, nor does Sleep(0)";
  Sleep(0x2F);
  EXPECT_EQ(timeGetTime(), 0x20u);
  EXPECT_EQ(timeGetTime() - start, 0x30u);
}

TEST(HeadlessClockTest, ALoopThatOnlyReadsTheClockStillSeesTimePass) {
  HeadlessEnv env;
  GetAsyncKeyState(VK_SPACE);  // the count of idle readings starts here
  const DWORD start = env->now();
  for (std::uint32_t i = 0; i < HeadlessBackend::kIdleReadsPerMs; ++i) ASSERT_EQ(timeGetTime(), start) << i;
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

TEST(HeadlessClockTest, ScriptedEventsTakeEffectExactlyWhenTheClockReachesThem) {
  HeadlessEnv env;
  env->AddEvents({{700, Kind::Press, 'B'}, {40, Kind::Press, VK_DOWN}, {500, Kind::Press, 'A'}});
  Sleep(39);
  EXPECT_EQ(GetAsyncKeyState(VK_DOWN), 0);
  Sleep(1);
  EXPECT_NE(GetAsyncKeyState(VK_DOWN) & 0x8000, 0);
  env->AddEvent({10, Kind::Release, VK_DOWN});
  EXPECT_EQ(GetAsyncKeyState(VK_DOWN), 0) << "an event already due applies at the next look";

  // A long sleep stops at each event, so each message carries its own time.
  Sleep(1000);
  using Keys = std::vector<std::pair<WPARAM, DWORD>>;
  Keys keys;
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
    keys.emplace_back(msg.wParam, msg.time - env->options().clockStart);
  }
  EXPECT_EQ(keys, (Keys{{VK_DOWN, 40}, {VK_DOWN, 40}, {'A', 500}, {'B', 700}}));
}

TEST(HeadlessClockTest, WaitsRunToTheNextEventOrTheDeadlineAndNeverHang) {
  HeadlessEnv env({.clockStart = 0xFFFFFF00u});
  env->AddEvent({3000, Kind::Activate, 0});
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 3000u);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 3001u) << "nothing left to come and no deadline: 1 ms per wait";

  std::vector<std::uint32_t> firedAt;
  env->SetDeadline(5000, [&] { firedAt.push_back(env->elapsed()); });
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 5000u) << "with nothing to come, a wait runs to the deadline";
  Sleep(100);
  EXPECT_EQ(firedAt, std::vector<std::uint32_t>{5000}) << "the deadline fires once";

  PostQuitMessage(0);
  WaitMessage();
  EXPECT_EQ(env->elapsed(), 5100u) << "something already queued: no wait at all";
}

// The pause keys, P and Pause, during play: the game's clock stands still,
// the game is told it lost the focus, the sound holds its place, and only
// the pause key ends it.
TEST(HeadlessClockTest, APauseFreezesTheGamesClockAndSoundUntilThePauseKeyComesAgain) {
  bool inPlay = false;
  HeadlessEnv env(
      {.clockStart = 0x1000, .mixAudio = true, .audioRate = 1000, .pauseAllowed = [&] { return inPlay; }});
  // One frame a millisecond, sample k = k + 1, playing from the start.
  platform::Mixer mixer(1000);
  const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 1000, 2000, 2, 16, 0};
  auto voice = mixer.CreateVoice(format, 2 * 5000);
  for (int k = 0; k < 5000; ++k) {
    voice->raw()[2 * k] = static_cast<std::uint8_t>((k + 1) & 0xFF);
    voice->raw()[2 * k + 1] = static_cast<std::uint8_t>((k + 1) >> 8);
  }
  mixer.Convert(*voice);
  mixer.Play(*voice);
  ASSERT_TRUE(env->OpenAudio(mixer));
  env->AddEvents({{100, Kind::Press, 'P'},
                  {110, Kind::Release, 'P'},
                  {200, Kind::Press, 'P'},
                  {250, Kind::Release, 'P'},
                  {300, Kind::Deactivate, 0},
                  {400, Kind::Activate, 0},
                  {500, Kind::Press, VK_LEFT},
                  {2200, Kind::Press, VK_PAUSE},
                  {3000, Kind::Press, 'P'},
                  {3100, Kind::Deactivate, 0},
                  {3200, Kind::Press, 'P'},
                  {3300, Kind::Activate, 0}});
  using Messages = std::vector<std::pair<UINT, WPARAM>>;
  const auto drain = [] {
    Messages taken;
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) taken.emplace_back(msg.message, msg.wParam);
    return taken;
  };
  Sleep(150);
  EXPECT_EQ(drain(), (Messages{{WM_KEYDOWN, 'P'}, {WM_KEYUP, 'P'}}))
      << "outside play P is a key like any other";
  inPlay = true;
  Sleep(50);  // the press comes due inside the sleep, and waits for the next look at the input
  const std::uint32_t pausedAt = env->elapsed();
  const DWORD stoppedAt = timeGetTime();
  EXPECT_EQ(drain(), (Messages{{WM_ACTIVATE, WA_INACTIVE}}));
  EXPECT_TRUE(env->paused());
  Sleep(2000);
  EXPECT_EQ(timeGetTime(), stoppedAt) << "two seconds later the game's clock has not moved";
  const std::uint32_t resumedAt = env->elapsed();
  EXPECT_EQ(drain(), (Messages{{WM_ACTIVATE, WA_INACTIVE}, {WM_KEYDOWN, VK_LEFT}, {WM_ACTIVATE, WA_ACTIVE}}))
      << "the P that paused is the pause's own; the focus coming back does not resume, Pause does";
  EXPECT_EQ(timeGetTime(), stoppedAt + 1) << "on from where it stopped (the empty look moved it 1 ms)";
  const auto heard = [&](std::uint32_t frame) { return env->audio()[2 * frame]; };
  EXPECT_EQ(heard(pausedAt - 1), static_cast<std::int16_t>(pausedAt));
  EXPECT_EQ(heard(pausedAt) | heard(resumedAt - 1), 0) << "silence while paused";
  EXPECT_EQ(heard(resumedAt), static_cast<std::int16_t>(pausedAt + 1))
      << "the sound goes on from where it was";

  // A resume while another window has the focus waits for it.
  Sleep(1200);
  EXPECT_EQ(drain(),
            (Messages{{WM_ACTIVATE, WA_INACTIVE}, {WM_ACTIVATE, WA_INACTIVE}, {WM_ACTIVATE, WA_ACTIVE}}));
  EXPECT_FALSE(env->paused());
}

}  // namespace
