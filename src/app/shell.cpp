#include "app/shell.h"

#include "game/catalogue.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/high_score.h"
#include "game/play_frame.h"
#include "game/quit.h"
#include "game/stage.h"
#include "screens/screens.h"

namespace {

constexpr char kClassName[] = "Chompo";
constexpr char kWindowTitle[] = "Chompo Ver 1.0";
constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;
constexpr int kBitsPerPixel = 16;

// Closing the window saves the best score once, unless the quit sequence
// already has.
bool closeSaved = false;

void StartNextStage() {
  StartStage();
  SetGameState(StageStart);
}

// False when the attract screen took the quit message: the program ends.
bool AfterAttract(AttractResult result) {
  switch (result) {
    case AttractEscape:
      QuitGame();
      return true;
    case AttractSpace:
      StartNextStage();
      return true;
    case AttractFinished:
      SetGameState(Title);
      return true;
    case AttractQuitMessage:
      return false;
  }
  return true;
}

// The stage number was raised when the last dot was eaten, so the cut-scenes
// follow stages 3, 6 and 10.
void AfterStageClear() {
  if (stageNumber == 4 || stageNumber == 7 || stageNumber == 11) {
    intermissionCount += 1;
    SetGameState(Intermission);
  } else {
    StartNextStage();
  }
}

// One step of the current state and the decisions that follow it. False
// when the program must end at once.
bool RunStep() {
  switch (gameState) {
    case Attract:
      return AfterAttract(RunAttract());
    case Title:
      ShowTitle();
      break;
    case Intermission:
      PlayIntermission(intermissionCount);
      break;
    case StageStart:
      ShowStageStart();
      break;
    case Play:
      PlayFrame();
      break;
    case StageClear:
      ShowStageClear();
      AfterStageClear();
      break;
    case GameOver:
      ShowGameOver();
      break;
    case Credits:
      ShowCredits();
      break;
    default:
      break;
  }
  return true;
}

int RunMainLoop() {
  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&message, nullptr, 0, 0)) {
        return static_cast<int>(message.wParam);
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (activeFlag != 0) {
      if (!RunStep()) {
        return 0;
      }
    } else {
      WaitMessage();
    }
  }
}

}  // namespace

LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      activeFlag = static_cast<std::uint32_t>(wParam);
      return 0;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 0;
    case WM_KEYDOWN:
      if (wParam == static_cast<WPARAM>(VK_ESCAPE) || wParam == static_cast<WPARAM>(VK_F12)) {
        QuitGame();
      }
      return 0;
    case WM_DESTROY:
      // Nothing is released here, but the best score of the run is kept.
      if (!quitReleased && !closeSaved) {
        closeSaved = true;
        WriteHighScore();
      }
      PostQuitMessage(0);
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, char* /*commandLine*/, int showCommand) {
  quitReleased = false;
  closeSaved = false;

  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(instance, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = kClassName;
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);

  HWND window = CreateWindowExA(0, kClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, kScreenWidth,
                                kScreenHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 0;
  }
  mainWindow = window;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  SetFocus(window);

  display.InitFullScreen(window, kScreenWidth, kScreenHeight, kBitsPerPixel);
  canvas.Create(display.GetDirectDraw(), kScreenWidth, kScreenHeight);
  soundDevice.Open(window);
  LoadCatalogue();

  return RunMainLoop();
}
