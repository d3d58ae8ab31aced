// The recording file: items come back as they went in, a file cut short
// gives what it holds and says so, and bytes no recorder writes are named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/replay/recording_format.h"

namespace {

using platform::PostedInput;
using platform::replay::BodyReader;
using platform::replay::BodyWriter;
using platform::replay::Call;
using platform::replay::Header;
using platform::replay::Item;
using Kind = Item::Kind;

Item Reading(Kind kind, std::uint32_t clock) {
  Item item;
  item.kind = kind;
  item.clock = clock;
  return item;
}

Item Move(std::uint32_t clock, std::int32_t gap) {
  Item item = Reading(Kind::ClockAfter, clock);
  item.callGap = gap;
  return item;
}

Item Post(PostedInput::Kind kind, int value, Call call, std::int32_t gap) {
  Item item;
  item.kind = Kind::Post;
  item.input = {kind, value};
  item.call = call;
  item.callGap = gap;
  return item;
}

Item Valued(Kind kind, std::int32_t value, Call call = Call::Between) {
  Item item;
  item.kind = kind;
  item.value = value;
  item.call = call;
  return item;
}

Item Exit(std::int32_t code, std::uint32_t clock, Item::Ending ending) {
  Item item = Valued(Kind::Exit, code);
  item.clock = clock;
  item.ending = ending;
  return item;
}

constexpr std::uint32_t kStart = 0xFFFFFF00;

// The body of items, flushed after the first `flushAfter` of them, and at
// the end either finished or flushed only (a session still being written).
std::vector<std::uint8_t> Body(const std::vector<Item>& items, std::size_t flushAfter, bool finish,
                               std::size_t* flushedBytes = nullptr) {
  BodyWriter writer(kStart);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i == flushAfter) {
      writer.Flush();
      bytes.insert(bytes.end(), writer.output().begin(), writer.output().end());
      writer.output().clear();
      if (flushedBytes != nullptr) *flushedBytes = bytes.size();
    }
    writer.Add(items[i]);
  }
  finish ? writer.Finish() : writer.Flush();
  bytes.insert(bytes.end(), writer.output().begin(), writer.output().end());
  return bytes;
}

std::vector<Item> ReadAll(const std::vector<std::uint8_t>& body, BodyReader::State& state,
                          std::string& damage) {
  BodyReader reader(body.data(), body.size(), kStart);
  std::vector<Item> items;
  while (const Item* item = reader.Peek()) {
    items.push_back(*item);
    reader.Take();
  }
  state = reader.state();
  damage = reader.damage();
  return items;
}

std::vector<Item> Repeated(const Item& item, int count) { return std::vector<Item>(count, item); }

// A session's items of every kind, with runs short and long, steps small,
// large and across the clock's wrap, and gaps forward and back.
std::vector<Item> Session() {
  std::vector<Item> items;
  auto add = [&items](const std::vector<Item>& more) { items.insert(items.end(), more.begin(), more.end()); };
  add({Valued(Kind::Result, 1, Call::CreateGameWindow), Valued(Kind::Score, 123456),
       Valued(Kind::Result, -3, Call::PitchPaddingBytes)});
  add(Repeated(Reading(Kind::GameClock, kStart), 3));
  add(Repeated(Reading(Kind::GameClock, kStart + 1), 1000));
  add({Reading(Kind::QuietClock, kStart + 1), Move(kStart + 2, 0), Move(kStart + 9, 3),
       Move(kStart + 300, 70)});
  add(Repeated(Reading(Kind::QuietClock, kStart + 300), 8));
  add({Post(PostedInput::Kind::KeyDown, 0x25, Call::PumpEvents, 5),
       Post(PostedInput::Kind::Close, 0, Call::Sleep, -2),
       Post(PostedInput::Kind::Activate, 0, Call::Between, 400000),
       Post(PostedInput::Kind::KeyUp, 255, Call::WaitForEvents, 0)});
  add({Reading(Kind::GameClock, 0x20), Reading(Kind::QuietClock, 0x10)});  // past the wrap, then back
  add({Exit(74, 0x11, Item::Ending::EndProcess)});
  return items;
}

TEST(RecordingFormat, ItemsComeBackAsWrittenAndTheEndIsTold) {
  const std::vector<Item> items = Session();
  const struct {
    const char* name;
    std::vector<Item> items;
    bool finish;
    BodyReader::State end;
  } cases[] = {
      {"a finished session", items, true, BodyReader::State::Finished},
      {"a session still being written", items, false, BodyReader::State::Truncated},
      {"a session that stopped at once", {}, false, BodyReader::State::Truncated},
      {"nothing but its end", {Exit(0, kStart, Item::Ending::Returned)}, true, BodyReader::State::Finished},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const std::vector<std::uint8_t> body = Body(test.items, test.items.size(), test.finish);
    BodyReader::State state;
    std::string damage;
    EXPECT_EQ(ReadAll(body, state, damage), test.items);
    EXPECT_EQ(state, test.end) << damage;
  }
  // Runs and small steps cost under a byte an item before compression.
  EXPECT_LT(Body(items, items.size(), true).size(), 100u);
}

TEST(RecordingFormat, ACutFileGivesWhatWasFlushedAndADamagedOneSaysWhere) {
  const std::vector<Item> items = Session();
  std::size_t flushed = 0;
  const std::vector<std::uint8_t> whole = Body(items, 1010, true, &flushed);
  const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(flushed));
  BodyReader::State state;
  std::string damage;
  EXPECT_EQ(ReadAll(cut, state, damage), std::vector<Item>(items.begin(), items.begin() + 1010));
  EXPECT_EQ(state, BodyReader::State::Truncated);

  // Coded items a recorder never writes, deflated as a recorder would.
  const struct {
    std::vector<std::uint8_t> coded;
    const char* damage;
  } damaged[] = {
      {{0xCF}, "an unknown item code 207"},
      {{0xC4, 0x00, 0x03, 0x00, 0x00}, "a posted input that no back end posts"},  // key 0
      {{0xC4, 0x02, 0x03, 0x00, 0x02}, "a posted input that no back end posts"},  // activation 2
      {{0xC4, 0x00, 0x40, 0x00, 0x25}, "a posted input that no back end posts"},  // no such call
      {{0xC5, 0x02, 0x00}, "an answer to a call that gives none"},                // Sleep
      {{0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}, "a number longer than 32 bits"},
      {{0xC7, 0x09, 0x00, 0x00}, "an unknown way for a session to end"},
  };
  for (const auto& [coded, expected] : damaged) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<std::uint8_t> in = {0x00};  // one good reading first
    in.insert(in.end(), coded.begin(), coded.end());
    std::vector<std::uint8_t> body(256);
    stream.next_in = in.data();
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = body.data();
    stream.avail_out = static_cast<uInt>(body.size());
    deflate(&stream, Z_FINISH);
    body.resize(body.size() - stream.avail_out);
    deflateEnd(&stream);
    EXPECT_EQ(ReadAll(body, state, damage).size(), 1u) << expected;
    EXPECT_EQ(state, BodyReader::State::Damaged) << expected;
    EXPECT_EQ(damage, expected);
  }
  std::vector<std::uint8_t> garbage(whole);
  garbage[0] ^= 0xFF;
  ReadAll(garbage, state, damage);
  EXPECT_NE(state, BodyReader::State::Finished) << "a damaged stream never reads as a whole one";
}

TEST(RecordingFormat, TheHeaderSaysWhatMadeTheRecordingAndRefusesOthers) {
  Header header;
  header.source = platform::replay::Source::Window;
  header.gameVersion = "9.8";
  header.dataChecksum = 0x0123456789ABCDEFull;
  header.startClock = 0xFFFFFFF0;
  std::vector<std::uint8_t> bytes = platform::replay::EncodeHeader(header);
  const std::size_t headerSize = bytes.size();
  bytes.push_back(0x42);
  Header read;
  std::size_t bodyOffset = 0;
  std::string error;
  ASSERT_TRUE(platform::replay::DecodeHeader(bytes, read, bodyOffset, error)) << error;
  EXPECT_EQ(bodyOffset, headerSize);
  EXPECT_EQ(read.source, header.source);
  EXPECT_EQ(read.gameVersion, "9.8");
  EXPECT_EQ(read.dataChecksum, header.dataChecksum);
  EXPECT_EQ(read.startClock, header.startClock);

  auto changed = [&bytes](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> copy = bytes;
    copy[at] = value;
    return copy;
  };
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* error;
  } refused[] = {
      {changed(0, 'X'), "not a recording (it does not start with CHOMPREC)"},
      {changed(8, 2), "the recording has format version 2; this program reads version 1"},
      {changed(10, 7), "the recording's header is damaged (source 7)"},
      {changed(11, 200), "the recording's header is damaged (a game version of 200 bytes)"},
      {std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20), "the recording's header is cut short"},
      {std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 10), "the recording's header is cut short"},
  };
  for (const auto& [damaged, expected] : refused) {
    EXPECT_FALSE(platform::replay::DecodeHeader(damaged, read, bodyOffset, error)) << expected;
    EXPECT_EQ(error, expected);
  }
}

}  // namespace
