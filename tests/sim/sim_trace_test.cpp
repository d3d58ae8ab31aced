#include "sim/sim_trace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace {

TEST(SimTrace, LinesCarryEveryFieldInTheirFixedShape) {
  sim::FrameRecord frame{4294967295u,
                         4,
                         7,
                         12340,
                         99990,
                         -1,
                         10000,
                         3,
                         255,
                         0x80000001u,
                         true,
                         true,
                         false,
                         false,
                         true,
                         false,
                         {247, 221, 3, 4, 9, 9},
                         {}};
  std::string ghosts;
  for (int i = 0; i < 4; ++i) {
    frame.ghosts[i] = {-1 - i, 100 + i, i, 3 - i, 4000000000u + static_cast<std::uint32_t>(i), 10000u};
    ghosts += (i > 0 ? "," : "") + std::string("{\"x\":") + std::to_string(-1 - i) +
              ",\"y\":" + std::to_string(100 + i) + ",\"direction\":" + std::to_string(i) +
              ",\"state\":" + std::to_string(3 - i) + ",\"modeStart\":400000000" + std::to_string(i) +
              ",\"modeDuration\":10000}";
  }
  const std::string head =
      R"({"t":4294967295,"event":"frame","state":4,"stage":7,"score":12340,"highScore":99990,"lives":-1,)"
      R"("extraLifeBase":10000,"dotCount":3,"combo":255,"rng":2147483649,"keys":)";
  const std::string tail =
      R"(,"player":{"x":247,"y":221,"direction":3,"state":4},"ghosts":[)" + ghosts + "]}";
  EXPECT_EQ(sim::FrameLine(frame), head + R"({"left":1,"right":0,"up":0,"down":1,"escape":0})" + tail);
  frame.keysRead = false;  // the frame ended before reading input
  EXPECT_EQ(sim::FrameLine(frame), head + "null" + tail);

  EXPECT_EQ(sim::StateLine(4294967295u, 4, 5), R"({"t":4294967295,"event":"state","from":4,"to":5})");
  EXPECT_EQ(sim::ExitLine(70000, 2), R"({"t":70000,"event":"exit","code":2})");
}

TEST(SimTrace, EachLineIsOnDiskAsSoonAsItIsWritten) {
  const support::TempFolder folder;
  const std::string path = folder.File("trace.jsonl");
  sim::TraceWriter writer;
  ASSERT_TRUE(writer.Open(path));
  writer.Write("first");
  std::ifstream early(path);
  std::string line;
  EXPECT_TRUE(std::getline(early, line) && line == "first") << line;
  writer.Write("second");
  writer.Close();
  writer.Write("after close is dropped");
  std::ifstream file(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()),
            "first\nsecond\n");
  EXPECT_FALSE(writer.Open("/nonexistent/chompo/trace.jsonl"));
}

}  // namespace
