#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/win32.h"
#include "support/headless_env.h"

namespace {

using platform::ScriptEvent;
using testsupport::HeadlessEnv;

struct Seen {
  UINT message;
  WPARAM wParam;
};

std::vector<Seen> seen;
int quitCodeOnDestroy = 0;

LRESULT RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back({message, wParam});
  if (message == WM_DESTROY) {
    PostQuitMessage(quitCodeOnDestroy);
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
std::vector<MSG> Drain() {
  std::vector<MSG> taken;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) taken.push_back(msg);
  return taken;
}

TEST(MessageTest, ShowWindowActivatesAndTheWindowCarriesItsTitle) {
  HeadlessEnv env;
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(env->windowTitle(), "Chompo Ver 1.0");
  EXPECT_EQ(CreateWindowExA(0, "Chompo", "again", 0, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr),
            nullptr)
      << "one window at a time";
  ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_TRUE(env->windowShown());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_ACTIVATE);
  EXPECT_NE(msg.wParam, 0u);
  EXPECT_EQ(msg.hwnd, window);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_ACTIVATE) << "PM_NOREMOVE left it for GetMessageA";
  DispatchMessageA(&msg);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, WM_ACTIVATE);
  EXPECT_EQ(seen[0].wParam, WA_ACTIVE);

  SetCursor(nullptr);
  EXPECT_TRUE(env->cursorHidden());
}

TEST(MessageTest, NoWindowWhenTheClassIsUnknownOrTheBackEndHasNone) {
  {
    HeadlessEnv env;
    MakeWindow();
  }
  HeadlessEnv env({.windowFails = true});
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingWindowProc;
  wc.lpszClassName = "Chompo";
  ASSERT_NE(RegisterClassA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "Other", "t", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExA(0, "Chompo", "t", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(MessageTest, InputQueuedWhileNobodyPumpsComesOutInOrder) {
  HeadlessEnv env;
  HWND window = MakeWindow();
  env->AddEvents({{30, ScriptEvent::Kind::Press, VK_SPACE},
                  {10, ScriptEvent::Kind::Press, VK_LEFT},
                  {10, ScriptEvent::Kind::Release, VK_LEFT},
                  {40, ScriptEvent::Kind::Deactivate, 0},
                  {50, ScriptEvent::Kind::Activate, 0}});
  Sleep(100);  // a blocking screen: no pumping
  PostQuitMessage(3);
  const std::vector<MSG> taken = Drain();
  const std::vector<std::pair<UINT, WPARAM>> expected = {{WM_KEYDOWN, VK_LEFT},    {WM_KEYUP, VK_LEFT},
                                                         {WM_KEYDOWN, VK_SPACE},   {WM_ACTIVATE, WA_INACTIVE},
                                                         {WM_ACTIVATE, WA_ACTIVE}, {WM_QUIT, 3}};
  ASSERT_EQ(taken.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(taken[i].message, expected[i].first) << i;
    EXPECT_EQ(taken[i].wParam, expected[i].second) << i;
  }
  EXPECT_EQ(taken[0].hwnd, window);
  EXPECT_EQ(taken[5].hwnd, nullptr);
}

TEST(MessageTest, KeyStateSeesTheLiveKeyboardWithoutTakingMessages) {
  HeadlessEnv env;
  MakeWindow();
  env->AddEvents({{10, ScriptEvent::Kind::Press, VK_UP},
                  {20, ScriptEvent::Kind::Press, VK_ESCAPE},
                  {20, ScriptEvent::Kind::Release, VK_ESCAPE}});
  EXPECT_EQ(GetAsyncKeyState(VK_UP), 0);
  Sleep(10);
  EXPECT_NE(GetAsyncKeyState(VK_UP) & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_DOWN), 0);
  Sleep(15);
  // Pressed and released between two looks: not held, but both messages wait.
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  EXPECT_NE(GetAsyncKeyState(VK_UP) & 0x8000, 0);
  const std::vector<MSG> taken = Drain();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[1].message, WM_KEYDOWN);
  EXPECT_EQ(taken[1].wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(taken[2].message, WM_KEYUP);
  EXPECT_EQ(GetAsyncKeyState(-1), 0);
  EXPECT_EQ(GetAsyncKeyState(300), 0);
}

TEST(MessageTest, LosingFocusLetsEveryKeyGo) {
  HeadlessEnv env;
  MakeWindow();
  platform::PostKeyDown(VK_LEFT);
  platform::PostKeyDown('A');
  EXPECT_NE(GetAsyncKeyState('A') & 0x8000, 0);
  platform::PostActivate(false);
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  platform::PostActivate(true);
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0) << "coming back does not press anything";
  EXPECT_EQ(Drain().size(), 4u);
}

TEST(MessageTest, CloseRunsTheDestroyPathThroughTheDefaultHandling) {
  HeadlessEnv env;
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  quitCodeOnDestroy = 5;
  env->AddEvent({7, ScriptEvent::Kind::Close, 0});
  env->SetDeadline(1000, [] { PostQuitMessage(99); });  // fail rather than wait forever
  MSG msg;
  int dispatched = 0;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    ++dispatched;
  }
  EXPECT_EQ(dispatched, 1);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].message, WM_CLOSE);
  EXPECT_EQ(seen[1].message, WM_DESTROY) << "sent at once, from inside the WM_CLOSE handling";
  EXPECT_FALSE(env->windowExists());
  EXPECT_EQ(env->elapsed(), 7u) << "GetMessageA waited for the scripted close";
}

TEST(MessageTest, DefaultHandlingAnswersZeroAndLeavesTheWindowAlone) {
  HeadlessEnv env;
  HWND window = MakeWindow();
  EXPECT_EQ(DefWindowProcA(window, WM_SETCURSOR, 0, 0), 0);
  EXPECT_EQ(DefWindowProcA(window, WM_KEYDOWN, VK_F1, 0), 0);
  EXPECT_TRUE(env->windowExists());
  EXPECT_TRUE(seen.empty());
}

TEST(MessageTest, FormattingIsBoundedTo1024Characters) {
  HeadlessEnv env;
  char buffer[2048];
  EXPECT_EQ(wsprintfA(buffer, "Mog%d.bmp", 6), 8);
  EXPECT_STREQ(buffer, "Mog6.bmp");
  const std::string longText(1500, 'x');
  EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1024);
  EXPECT_EQ(std::string(buffer).size(), 1024u);

  RECT box;
  ASSERT_TRUE(SetRect(&box, 4, 6, 9, 11));
  EXPECT_EQ(box.left, 4);
  EXPECT_EQ(box.top, 6);
  EXPECT_EQ(box.right, 9);
  EXPECT_EQ(box.bottom, 11);
}

}  // namespace
