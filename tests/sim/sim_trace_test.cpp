#include "sim/sim_trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/sim_json.h"

namespace {

using testsupport::JsonValue;

sim::FrameRecord SampleFrame() {
  sim::FrameRecord frame;
  frame.time = 4294967295u;
  frame.state = 4;
  frame.stage = 7;
  frame.score = 12340;
  frame.highScore = 99990;
  frame.lives = -1;
  frame.extraLifeBase = 10000;
  frame.dotCount = 3;
  frame.combo = 255;
  frame.rng = 0x80000001u;
  frame.keysRead = true;
  frame.left = true;
  frame.down = true;
  frame.player = {247, 221, 3, 4, 0, 0};
  for (int i = 0; i < 4; ++i) {
    frame.ghosts[i] = {-1 - i, 100 + i, i, 3 - i, 4000000000u + static_cast<std::uint32_t>(i), 10000u};
  }
  return frame;
}

TEST(SimTrace, AFrameLineCarriesEveryFieldAsJson) {
  const std::string line = sim::FrameLine(SampleFrame());
  ASSERT_EQ(line.find('\n'), std::string::npos);
  const std::optional<JsonValue> parsed = JsonValue::Parse(line);
  ASSERT_TRUE(parsed) << line;
  const JsonValue& v = *parsed;
  EXPECT_EQ(v.size(), 14u) << line;
  EXPECT_EQ(v["t"].Int(), 4294967295);
  EXPECT_EQ(v["event"].Str(), "frame");
  EXPECT_EQ(v["state"].Int(), 4);
  EXPECT_EQ(v["stage"].Int(), 7);
  EXPECT_EQ(v["score"].Int(), 12340);
  EXPECT_EQ(v["highScore"].Int(), 99990);
  EXPECT_EQ(v["lives"].Int(), -1);
  EXPECT_EQ(v["extraLifeBase"].Int(), 10000);
  EXPECT_EQ(v["dotCount"].Int(), 3);
  EXPECT_EQ(v["combo"].Int(), 255);
  EXPECT_EQ(v["rng"].Int(), 0x80000001);
  const JsonValue& keys = v["keys"];
  EXPECT_EQ(keys.size(), 5u);
  EXPECT_EQ(keys["left"].Int(), 1);
  EXPECT_EQ(keys["right"].Int(), 0);
  EXPECT_EQ(keys["up"].Int(), 0);
  EXPECT_EQ(keys["down"].Int(), 1);
  EXPECT_EQ(keys["escape"].Int(), 0);
  const JsonValue& player = v["player"];
  EXPECT_EQ(player.size(), 4u);
  EXPECT_EQ(player["x"].Int(), 247);
  EXPECT_EQ(player["y"].Int(), 221);
  EXPECT_EQ(player["direction"].Int(), 3);
  EXPECT_EQ(player["state"].Int(), 4);
  ASSERT_EQ(v["ghosts"].size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const JsonValue& ghost = v["ghosts"][i];
    const auto n = static_cast<std::int64_t>(i);
    EXPECT_EQ(ghost.size(), 6u);
    EXPECT_EQ(ghost["x"].Int(), -1 - n);
    EXPECT_EQ(ghost["y"].Int(), 100 + n);
    EXPECT_EQ(ghost["direction"].Int(), n);
    EXPECT_EQ(ghost["state"].Int(), 3 - n);
    EXPECT_EQ(ghost["modeStart"].Int(), 4000000000 + n);
    EXPECT_EQ(ghost["modeDuration"].Int(), 10000);
  }
}

TEST(SimTrace, KeysAreNullWhenTheFrameEndedBeforeReadingThem) {
  sim::FrameRecord frame = SampleFrame();
  frame.keysRead = false;
  const std::optional<JsonValue> parsed = JsonValue::Parse(sim::FrameLine(frame));
  ASSERT_TRUE(parsed);
  EXPECT_TRUE((*parsed)["keys"].IsNull());
  EXPECT_TRUE((*parsed).Has("keys"));
}

TEST(SimTrace, StateAndExitLinesHaveTheirFixedShape) {
  EXPECT_EQ(sim::StateLine(65536, 0, 3), R"({"t":65536,"event":"state","from":0,"to":3})");
  EXPECT_EQ(sim::StateLine(4294967295u, 4, 5), R"({"t":4294967295,"event":"state","from":4,"to":5})");
  EXPECT_EQ(sim::ExitLine(12, 0), R"({"t":12,"event":"exit","code":0})");
  EXPECT_EQ(sim::ExitLine(70000, 2), R"({"t":70000,"event":"exit","code":2})");
}

TEST(SimTrace, EachLineIsOnDiskAsSoonAsItIsWritten) {
  const std::string path = testing::TempDir() + "chompo_trace_flush.jsonl";
  sim::TraceWriter writer;
  ASSERT_TRUE(writer.Open(path));
  writer.Write(sim::StateLine(1, 0, 1));
  {
    std::ifstream early(path);
    std::string line;
    ASSERT_TRUE(std::getline(early, line));
    EXPECT_EQ(line, sim::StateLine(1, 0, 1));
  }
  writer.Write(sim::ExitLine(2, 0));
  writer.Close();
  writer.Write("after close is dropped");
  std::ifstream file(path);
  const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, sim::StateLine(1, 0, 1) + "\n" + sim::ExitLine(2, 0) + "\n");
  std::remove(path.c_str());

  sim::TraceWriter nowhere;
  EXPECT_FALSE(nowhere.Open("/nonexistent/chompo/trace.jsonl"));
  EXPECT_FALSE(nowhere.IsOpen());
}

}  // namespace
