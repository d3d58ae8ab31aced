// The input as a recording file: its header read, then its items one by
// one. Items that read must write back to the same items, a damaged or cut
// body must say so rather than read as a whole one, and nothing may crash
// or run away however the bytes lie.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/replay/recording_format.h"

namespace {

// Runs of equal readings can stand for billions of items; a replay takes
// them one call at a time, so the fuzzer stops counting here.
constexpr std::size_t kMostItems = 200000;

using platform::replay::BodyReader;
using platform::replay::Item;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "chompo fuzz: %s\n", what.c_str());
  std::abort();
}

std::vector<Item> Read(const std::uint8_t* body, std::size_t size, std::uint32_t startClock,
                       BodyReader::State& state) {
  BodyReader reader(body, size, startClock);
  std::vector<Item> items;
  while (items.size() < kMostItems) {
    const Item* item = reader.Peek();
    if (item == nullptr) break;
    items.push_back(*item);
    reader.Take();
  }
  state = reader.state();
  if (state == BodyReader::State::Damaged && reader.damage().empty()) Fail("damage without a reason");
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  platform::replay::Header header;
  std::size_t bodyOffset = 0;
  std::string error;
  if (!platform::replay::DecodeHeader(bytes, header, bodyOffset, error)) {
    if (error.empty()) Fail("a refused header without a reason");
    return 0;
  }
  if (bodyOffset > size) Fail("the items start past the end of the file");
  BodyReader::State state;
  const std::vector<Item> items = Read(data + bodyOffset, size - bodyOffset, header.startClock, state);

  platform::replay::BodyWriter writer(header.startClock);
  for (const Item& item : items) writer.Add(item);
  writer.Finish();
  const std::vector<std::uint8_t>& rewritten = writer.output();
  BodyReader::State again;
  if (Read(rewritten.data(), rewritten.size(), header.startClock, again) != items) {
    Fail("the items read do not write back to themselves");
  }
  if (items.size() < kMostItems && again != BodyReader::State::Finished)
    Fail("a rewritten body does not end");
  return 0;
}
