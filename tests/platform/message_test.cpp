#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/win32.h"
#include "support/headless_env.h"

namespace {

using Kind = platform::ScriptEvent::Kind;
using support::HeadlessEnv;
using Messages = std::vector<std::pair<UINT, WPARAM>>;

Messages seen;  // what the window procedure was handed

LRESULT RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.emplace_back(message, wParam);
  if (message == WM_DESTROY) {
    PostQuitMessage(5);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
  seen.clear();
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingWindowProc;
  wc.lpszClassName = "Chompo";
  EXPECT_NE(RegisterClassA(&wc), 0);
  return CreateWindowExA(0, "Chompo", "Chompo Ver 1.0", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                         nullptr, nullptr);
}

// Takes every queued message without waiting.
Messages Drain(HWND expectedWindow) {
  Messages taken;
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
    EXPECT_EQ(msg.hwnd, msg.message == WM_QUIT ? nullptr : expectedWindow) << msg.message;
    taken.emplace_back(msg.message, msg.wParam);
  }
  return taken;
}

TEST(MessageTest, ShowWindowActivatesAndTheMessageReachesTheWindowProcedure) {
  HeadlessEnv env;
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(env->windowTitle(), "Chompo Ver 1.0");
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_TRUE(env->windowShown());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_ACTIVATE);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.hwnd, window);
  DispatchMessageA(&msg);
  EXPECT_EQ(seen, (Messages{{WM_ACTIVATE, WA_ACTIVE}})) << "PM_NOREMOVE left it for GetMessageA";

  SetCursor(nullptr);
  EXPECT_TRUE(env->cursorHidden());
}

TEST(MessageTest, InputWaitsInOrderWhileNobodyPumpsAndKeyStateSeesTheLiveKeyboard) {
  HeadlessEnv env;
  HWND window = MakeWindow();
  env->AddEvents({{30, Kind::Press, VK_SPACE},
                  {10, Kind::Press, VK_LEFT},
                  {20, Kind::Release, VK_LEFT},
                  {25, Kind::Press, VK_ESCAPE},
                  {25, Kind::Release, VK_ESCAPE},
                  {40, Kind::Deactivate, 0},
                  {50, Kind::Activate, 0}});
  Sleep(10);
  EXPECT_NE(GetAsyncKeyState(VK_LEFT) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_DOWN), 0);
  Sleep(20);
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0) << "pressed and released between two looks";
  EXPECT_NE(GetAsyncKeyState(VK_SPACE) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(-1) | GetAsyncKeyState(300), 0);
  Sleep(15);
  EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0) << "losing focus lets every key go";
  Sleep(55);
  EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0) << "coming back does not press anything";
  PostQuitMessage(3);
  EXPECT_EQ(Drain(window), (Messages{{WM_KEYDOWN, VK_LEFT},
                                     {WM_KEYUP, VK_LEFT},
                                     {WM_KEYDOWN, VK_ESCAPE},
                                     {WM_KEYUP, VK_ESCAPE},
                                     {WM_KEYDOWN, VK_SPACE},
                                     {WM_ACTIVATE, WA_INACTIVE},
                                     {WM_ACTIVATE, WA_ACTIVE},
                                     {WM_QUIT, 3}}))
      << "every message kept, in order, while nobody pumped";
}

TEST(MessageTest, CloseRunsTheDestroyPathThroughTheDefaultHandling) {
  HeadlessEnv env;
  ASSERT_NE(MakeWindow(), nullptr);
  // Long enough after the last read that only the wait inside GetMessageA
  // keeps the close in the queue.
  constexpr std::uint32_t kCloseAt = platform::kUnreadQueueMs + 7;
  env->AddEvent({kCloseAt, Kind::Close, 0});
  env->SetDeadline(kCloseAt + 1000, [] { PostQuitMessage(99); });  // fail rather than wait forever
  MSG msg;
  int dispatched = 0;
  for (; GetMessageA(&msg, nullptr, 0, 0); ++dispatched) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(dispatched, 1) << "WM_DESTROY is sent, not queued";
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_EQ(seen, (Messages{{WM_CLOSE, 0}, {WM_DESTROY, 0}}));
  EXPECT_FALSE(env->windowExists());
  EXPECT_EQ(env->elapsed(), kCloseAt) << "GetMessageA waited for the scripted close";
}

// A screen that only sleeps and polls keys never reads the queue. A close
// made then reaches the window procedure at once and ends the program with
// the quit's code; a close soon after a read waits in the queue as usual.
TEST(MessageTest, ACloseThatNobodyWouldReadForLongIsAnsweredAtOnce) {
  {
    HeadlessEnv env;
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    env->AddEvent({1000 + platform::kUnreadQueueMs - 1, Kind::Close, 0});
    Sleep(1000);
    EXPECT_TRUE(Drain(window).empty());
    Sleep(platform::kUnreadQueueMs + 100);
    EXPECT_EQ(Drain(window), (Messages{{WM_CLOSE, 0}}));
    EXPECT_TRUE(seen.empty()) << "a queued close is the game's to dispatch";
  }
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        HeadlessEnv env;
        MakeWindow();
        env->SetEndWatcher([](int) { std::fprintf(stderr, "handed %zu messages", seen.size()); });
        env->AddEvent({platform::kUnreadQueueMs, Kind::Close, 0});
        Sleep(platform::kUnreadQueueMs + 1000);
        std::_Exit(1);
      },
      testing::ExitedWithCode(5), "handed 2 messages");
}

TEST(MessageTest, FormattingIsBoundedTo1024Characters) {
  HeadlessEnv env;
  char buffer[2048];
  EXPECT_EQ(wsprintfA(buffer, "Mog%d.bmp", 6), 8);
  EXPECT_STREQ(buffer, "Mog6.bmp");
  EXPECT_EQ(wsprintfA(buffer, "%s", std::string(1500, 'x').c_str()), 1024);
  EXPECT_EQ(std::string(buffer).size(), 1024u);
}

}  // namespace
