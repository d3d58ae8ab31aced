#include "game/catalogue.h"

#include <gtest/gtest.h>

#include "engine_support.h"
#include "game/game_vars.h"
#include "game/globals.h"

namespace enginetest {
namespace {

// The catalogue's picture files in load order, each beside its table entry.
std::vector<std::pair<std::string, Sprite*>> PictureFiles() {
  std::vector<std::pair<std::string, Sprite*>> files;
  const auto add = [&files](std::string name, Sprite* entry) { files.emplace_back(name + ".bmp", entry); };
  for (int i = 0; i < 6; ++i) add("Mog" + std::to_string(i + 1), &playerPictures[i]);
  for (int i = 0; i < 8; ++i) add("ghost" + std::to_string(i / 2 + 1) + "_" + "12"[i % 2], &ghostPictures[i]);
  const char* const named[] = {"BlueGhost1", "BlueGhost2", "BlueGhostF1", "BlueGhostF2",
                               "Left_eye",   "Right_eye",  "Up_eye",      "Down_eye"};
  for (int i = 0; i < 8; ++i) add(named[i], i < 4 ? &ghostPictures[8 + i] : &eyePictures[i - 4]);
  for (int i = 0; i < 16; ++i) add("wall" + std::to_string(i + 1), &wallPictures[i]);
  add("sDot", &dotPictures[0]);
  add("lDot", &dotPictures[1]);
  for (int i = 0; i < 6; ++i) add("MogDead_" + std::to_string(i + 1), &dyingPictures[i]);
  return files;
}

const char* const kEffectFiles[] = {"eat_dot.wav", "Killed.wav", "eat_Ghost.wav", "extramog.wav",
                                    "GAMEBEGINNING.wav"};
SoundEffect* const kEffects[] = {&dotEffect, &deathEffect, &ghostEatenEffect, &extraLifeEffect,
                                 &stageStartEffect};
std::vector<std::int32_t> transitions;

class CatalogueTest : public ::testing::Test {
 protected:
  void TearDown() override {
    InFolder here(dir_.path());  // the high score is written there, nowhere else
    ReleaseCatalogue();
    soundDevice.Close();
    gameStateWatcher = nullptr;
  }
  DisplayRig rig_{{.recordSoundCalls = true}, &display};
  TempFolder dir_;
};

TEST_F(CatalogueTest, TablesEffectsStartUpValuesAndTheirRelease) {
  ASSERT_TRUE(soundDevice.Open(nullptr));
  const auto files = PictureFiles();
  ASSERT_EQ(files.size(), 46u);
  for (std::size_t i = 0; i < files.size(); ++i) {  // green tells the place in the load order
    WriteBytes(dir_.File(files[i].first), MakeBmp(3, 2, [i](int, int) {
                 return Rgb{0, std::uint8_t(i << 2), 0};
               }));
  }
  for (std::uint8_t i = 0; i < 5; ++i) {
    WriteBytes(dir_.File(kEffectFiles[i]),
               Riff({{"fmt ", Format(1, 1, 8000, 8)}, {"data", Bytes(100u + i)}}));
  }
  WriteBytes(dir_.File("e1.eng"), Bytes(4096, 0x18));
  WriteBytes(dir_.File("HighScore.sco"), Bytes{0x34, 0x30, 0x00, 0x00});
  SetGameState(Title);
  stageNumber = intermissionCount = moveStep = lives = score = extraLifeBase = comboCount = 7;
  fontSet.SetTextColor(0x0000FF);
  transitions.clear();
  gameStateWatcher = [](std::int32_t from, std::int32_t to) {
    transitions.insert(transitions.end(), {from, to});
  };
  const auto& calls = rig_.backend().soundCalls();
  const std::size_t loaded = calls.size();
  {
    InFolder here(dir_.path());
    EXPECT_TRUE(LoadCatalogue());
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    ASSERT_NE(files[i].second->GetSurface(), nullptr) << files[i].first;
    EXPECT_EQ(files[i].second->GetSurface()->PixelAt(2, 1), i << 5) << files[i].first;
  }
  // The third ghost in frame 1 is drawn with entry 5, from "ghost3_2.bmp".
  EXPECT_EQ(ghostPictures[5].GetSurface()->PixelAt(0, 0), 11 << 5);
  ASSERT_EQ(calls.size() - loaded, 5u);  // in order: the sizes tell them apart
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(calls[loaded + i].call.bytes, 100 + i) << kEffectFiles[i];
  EXPECT_EQ(transitions, (std::vector<std::int32_t>{Title, Attract}));
  EXPECT_EQ((std::vector{stageNumber, intermissionCount, moveStep, lives, score, extraLifeBase, highScore}),
            (std::vector<std::int32_t>{1, 0, 1, 2, 0, 0, 12340}));
  EXPECT_EQ(fontSet.latinColor, 0xFFFFFFu);
  EXPECT_EQ(comboCount, 7);  // not the catalogue's to touch

  const std::size_t released = calls.size();
  {
    InFolder here(dir_.path());
    ReleaseCatalogue();
  }
  ASSERT_EQ(calls.size() - released, 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(calls[released + i].call.bufferId, calls[loaded + i].call.bufferId);
    EXPECT_FALSE(kEffects[i]->Loaded());
  }
  for (const auto& [name, picture] : files) EXPECT_EQ(picture->GetSurface(), nullptr) << name;

  // Missing files leave empty entries and no effects; the game goes on.
  TempFolder empty;
  InFolder there(empty.path());
  EXPECT_TRUE(LoadCatalogue());
  EXPECT_EQ(wallPictures[3].GetSurface(), nullptr);
  EXPECT_FALSE(dotEffect.Loaded());
}

}  // namespace
}  // namespace enginetest
