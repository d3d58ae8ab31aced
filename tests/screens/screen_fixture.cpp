#include "screen_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/catalogue.h"
#include "app/game_vars.h"
#include "app/globals.h"
#include "app/shell.h"
#include "game/gates.h"
#include "screens/screens.h"

namespace screentest {

std::vector<Dispatched> dispatched;

namespace {

struct Picture {
  std::string file;
  int width, height;
  bool marked;
};

std::vector<Picture> AllPictures() {
  std::vector<Picture> all;
  auto add = [&](const std::string& file, int w, int h, bool marked = false) {
    all.push_back({file, w, h, marked});
  };
  auto numbered = [&](const std::string& stem, int count, int w, int h, bool marked = false) {
    for (int i = 1; i <= count; ++i) add(stem + std::to_string(i) + ".bmp", w, h, marked);
  };
  numbered("Mog", 6, 13, 13, true);
  for (int g = 1; g <= 4; ++g) numbered("ghost" + std::to_string(g) + "_", 2, 13, 13);
  numbered("BlueGhost", 2, 13, 13);
  numbered("BlueGhostF", 2, 13, 13);
  for (const char* eye : {"Left_eye.bmp", "Right_eye.bmp", "Up_eye.bmp", "Down_eye.bmp"}) add(eye, 5, 3);
  numbered("wall", 16, 13, 13);
  add("sDot.bmp", 3, 3);
  add("lDot.bmp", 5, 5);
  numbered("MogDead_", 6, 13, 13);
  add("Title5.bmp", 101, 40);
  numbered("Mog_Large", 3, 26, 26, true);
  for (int i = 1; i <= 6; ++i) add("NudeGhost" + std::to_string(i) + ".bmp", 14 - i, 13);
  add("Checker.bmp", 10, 20);
  numbered("MogMoon", 6, 40, 40);
  add("Sweat1.bmp", 3, 4);
  numbered("slipGhost", 3, 13, 13);
  return all;
}

// Distinct, exact in 5-6-5, and none of the text colours, the background,
// the marker or the transparent key.
std::uint16_t ColorNumber(int n) {
  return static_cast<std::uint16_t>(((1 + n % 29) << 11) | ((8 + n / 29 * 8) << 5) | (3 + n % 7));
}

std::map<std::string, std::uint16_t> colors;

class Bytes {
 public:
  Bytes& u8(std::uint64_t v) {
    data_.push_back(static_cast<char>(v & 0xFF));
    return *this;
  }
  Bytes& u16(std::uint64_t v) { return u8(v).u8(v >> 8); }
  Bytes& u32(std::uint64_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& text(const std::string& s) {
    data_ += s;
    return *this;
  }
  void Save(const std::string& file) const { std::ofstream(file, std::ios::binary) << data_; }

 private:
  std::string data_;
};

void WriteBmp(const Picture& picture, std::uint16_t body) {
  const int rowBytes = (picture.width * 3 + 3) / 4 * 4;
  Bytes bmp;
  bmp.text("BM").u32(54 + rowBytes * picture.height).u32(0).u32(54).u32(40);
  bmp.u32(picture.width).u32(picture.height).u16(1).u16(24);
  for (int i = 0; i < 6; ++i) bmp.u32(0);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const unsigned p = (picture.marked && x == 0) ? kMarker : body;
      bmp.u8((p & 0x1F) << 3).u8(((p >> 5) & 0x3F) << 2).u8((p >> 11) << 3);
    }
    for (int pad = picture.width * 3; pad < rowBytes; ++pad) bmp.u8(0);
  }
  bmp.Save(picture.file);
}

// 8-bit mono PCM at 8000 Hz.
void WriteWave(const std::string& file, std::uint32_t bytes) {
  Bytes wave;
  wave.text("RIFF").u32(36 + bytes).text("WAVEfmt ").u32(16).u16(1).u16(1).u32(8000).u32(8000).u16(1).u16(8);
  wave.text("data").u32(bytes);
  for (std::uint32_t i = 0; i < bytes; ++i) wave.u8(128 + i % 16);
  wave.Save(file);
}

// Ten stages: walls across the top and bottom rows (picture 1 + column % 16),
// a small dot on every other cell and large dots in the inner corners; the
// player starts on cell (9, 13), the ghosts on (8..11, 7).
void WriteStages() {
  Bytes map;
  Bytes script;
  map.u32(10);
  script.u32(10);
  for (int stage = 1; stage <= 10; ++stage) {
    map.u32(stage);
    for (int r = 0; r < 18; ++r) {
      for (int c = 0; c < 20; ++c) map.u32(r == 0 || r == 17 ? 1 + c % 16 : 0);
    }
    for (int r = 0; r < 18; ++r) {
      for (int c = 0; c < 20; ++c)
        map.u32(r == 0 || r == 17 ? 0 : (r == 1 || r == 16) && (c == 1 || c == 18) ? 2 : 1);
    }
    script.u32(stage);
    const char* names[5] = {"MOG", "G1", "G2", "G3", "G4"};
    const int columns[5] = {9, 8, 9, 10, 11};
    for (int a = 0; a < 5; ++a)
      script.u8(std::string(names[a]).size()).text(names[a]).u8(0).u32(columns[a]).u32(a == 0 ? 13 : 7);
  }
  map.Save("StageData.map");
  script.Save("StageData.scp");
}

class DataFolder {
 public:
  DataFolder() {
    char pattern[] = "/tmp/chompo-screens-XXXXXX";
    path_ = mkdtemp(pattern);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(path_);
    const auto pictures = AllPictures();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      colors[pictures[i].file] = ColorNumber(static_cast<int>(i));
      WriteBmp(pictures[i], colors[pictures[i].file]);
    }
    const std::pair<const char*, std::uint32_t> waves[] = {{"eat_dot.wav", 100},
                                                           {"Killed.wav", 200},
                                                           {"eat_Ghost.wav", 300},
                                                           {"extramog.wav", 400},
                                                           {"GAMEBEGINNING.wav", kStageStartWaveBytes},
                                                           {"interm.wav", kIntermissionWaveBytes}};
    for (const auto& [file, bytes] : waves) WriteWave(file, bytes);
    Bytes font;
    for (int c = 0; c < 256; ++c) font.u8(c).u8(0xFF).text(std::string(14, '\0'));
    font.Save("e1.eng");
    WriteStages();
    std::filesystem::current_path(previous);
  }
  ~DataFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string path_;
};

const std::string& DataPath() {
  static DataFolder folder;
  return folder.path_;
}

platform::HeadlessBackend* currentBackend = nullptr;

LRESULT RecordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  dispatched.push_back({message, currentBackend->presentCount()});
  return WndProc(window, message, wParam, lParam);
}

}  // namespace

std::uint16_t To565(COLORREF color) {
  return static_cast<std::uint16_t>(((color & 0xFF) >> 3 << 11) | (((color >> 8) & 0xFF) >> 2 << 5) |
                                    ((color >> 16) & 0xFF) >> 3);
}

std::uint16_t ColorOf(const std::string& file) {
  DataPath();
  return colors.count(file) != 0 ? colors[file] : 0;
}

int Frame::Count(std::uint16_t value) const {
  int count = 0;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) count += At(x, y) == value ? 1 : 0;
  }
  return count;
}

bool Frame::HasText(int x, int y, const std::string& text, COLORREF color) const {
  const std::uint16_t ink = To565(color);
  for (std::size_t i = 0; i < text.size(); ++i) {
    for (int column = 0; column < 8; ++column) {
      const int px = x + static_cast<int>(8 * i) + column;
      const bool bit = (static_cast<unsigned char>(text[i]) >> (7 - column)) & 1;
      if (px < width_ && ((At(px, y) == ink) != bit || At(px, y + 1) != ink)) return false;
    }
  }
  return width_ > 0;
}

Frame::Run Frame::ScanRow(int y, const std::vector<std::string>& files) const {
  Run run;
  for (int x = 0; x < width_; ++x) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (At(x, y) != ColorOf(files[i])) continue;
      if (run.picture < 0) run.left = x;
      run.picture = static_cast<int>(i);
      run.right = x + 1;
    }
  }
  return run;
}

void ScreenTest::SetUp() {
  dispatched.clear();
  currentBackend = &backend();
  previousDirectory_ = std::filesystem::current_path().string();
  std::filesystem::current_path(DataPath());
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = RecordingWndProc;
  wndClass.lpszClassName = "Chompo";
  RegisterClassA(&wndClass);
  mainWindow = CreateWindowExA(0, "Chompo", "Chompo Ver 1.0", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                               nullptr, nullptr, nullptr);
  display.InitFullScreen(mainWindow, 320, 240, 16);
  canvas.Create(display.GetDirectDraw(), 320, 240);
  soundDevice.Open(mainWindow);
  LoadCatalogue();
  activeFlag = 1;
  blinkOn = 0;
  frameGateLast = playerStepGateLast = ghostStepGateLast = blinkGateLast = 0;
}

void ScreenTest::TearDown() {
  ReleaseIntermissionEffect();
  ReleaseCatalogue();
  soundDevice.Close();
  canvas.Release();
  display.Release();
  std::filesystem::current_path(previousDirectory_);
}

bool ScreenTest::QuitMessageQueued() {
  MSG message;
  bool found = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) found = found || message.message == WM_QUIT;
  return found;
}

int ScreenTest::BufferOfSize(std::uint32_t bytes) {
  int id = -1;
  for (const auto& recorded : env_->soundCalls()) {
    if (recorded.call.op == platform::SoundCall::Op::Create && recorded.call.bytes == bytes)
      id = recorded.call.bufferId;
  }
  return id;
}

int ScreenTest::CountCalls(int bufferId, platform::SoundCall::Op op) {
  int count = 0;
  for (const auto& recorded : env_->soundCalls()) {
    count += recorded.call.bufferId == bufferId && recorded.call.op == op ? 1 : 0;
  }
  return count;
}

void ScreenTest::WatchPresents(std::function<void(const Frame&, std::uint32_t)> watcher) {
  env_->SetPresentWatcher(
      [watcher](const platform::FrameView& view, std::uint32_t now) { watcher(Frame(view), now); });
}

}  // namespace screentest
