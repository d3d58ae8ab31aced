#include "platform/mmio.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/headless_env.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::HeadlessEnv;

void Put32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutId(Bytes& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

// A chunk as RIFF lays it out: id, size, body, and a pad byte after an odd
// body. declaredSize, when given, is written instead of the true size.
Bytes Chunk(const char* id, const Bytes& body, std::int64_t declaredSize = -1) {
  Bytes out;
  PutId(out, id);
  Put32(out, static_cast<std::uint32_t>(declaredSize >= 0 ? declaredSize
                                                          : static_cast<std::int64_t>(body.size())));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) out.push_back(0);
  return out;
}

Bytes Riff(const std::vector<Bytes>& chunks, std::int64_t declaredSize = -1) {
  Bytes body;
  PutId(body, "WAVE");
  for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
  return Chunk("RIFF", body, declaredSize);
}

Bytes PcmFormat() {
  Bytes body;
  const std::uint8_t fields[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};
  body.assign(fields, fields + 16);
  return body;
}

Bytes Pattern(std::size_t size) {
  Bytes body(size);
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return body;
}

class TempFile {
 public:
  explicit TempFile(const Bytes& bytes) {
    static int serial = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("chompo_mmio_" + std::to_string(::getpid()) + "_" + std::to_string(serial++) + ".wav"))
                .string();
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// The walk a WAV loader makes: the RIFF form, "fmt " and its 16 bytes, back
// to the first sub-chunk, then "data" copied through the I/O buffer.
struct Loaded {
  MMRESULT failedAt = MMSYSERR_NOERROR;
  int step = 0;
  Bytes format;
  Bytes data;
};

Loaded WalkWave(const char* path) {
  Loaded result;
  auto fail = [&result](int step, MMRESULT code) {
    result.step = step;
    result.failedAt = code == MMSYSERR_NOERROR ? MMIOERR_CANNOTREAD : code;
    return result;
  };
  HMMIO file = mmioOpenA(path, nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (file == nullptr) return fail(1, MMIOERR_CANNOTREAD);
  struct Closer {
    HMMIO file;
    ~Closer() { mmioClose(file, 0); }
  } closer{file};
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (MMRESULT r = mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF); r != MMSYSERR_NOERROR) return fail(2, r);
  MMCKINFO chunk{};
  chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (MMRESULT r = mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK); r != MMSYSERR_NOERROR) return fail(3, r);
  result.format.resize(16);
  if (mmioRead(file, reinterpret_cast<char*>(result.format.data()), 16) != 16)
    return fail(4, MMIOERR_CANNOTREAD);
  if (MMRESULT r = mmioAscend(file, &chunk, 0); r != MMSYSERR_NOERROR) return fail(7, r);
  if (mmioSeek(file, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET_MMIO) == -1)
    return fail(8, MMIOERR_CANNOTSEEK);
  chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (MMRESULT r = mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK); r != MMSYSERR_NOERROR) return fail(9, r);
  MMIOINFO info{};
  if (MMRESULT r = mmioGetInfo(file, &info, 0); r != MMSYSERR_NOERROR) return fail(13, r);
  for (DWORD i = 0; i < chunk.cksize; ++i) {
    if (info.pchNext == info.pchEndRead) {
      if (MMRESULT r = mmioAdvance(file, &info, MMIO_READ); r != MMSYSERR_NOERROR) return fail(13, r);
      if (info.pchNext == info.pchEndRead) return fail(13, MMIOERR_CANNOTREAD);
    }
    result.data.push_back(static_cast<std::uint8_t>(*info.pchNext++));
  }
  if (MMRESULT r = mmioSetInfo(file, &info, 0); r != MMSYSERR_NOERROR) return fail(14, r);
  return result;
}

TEST(MmioTest, SubChunksAreFoundInEitherOrderPastOddSizedOnes) {
  HeadlessEnv env;
  const Bytes samples = Pattern(20001);  // odd, and longer than the I/O buffer twice over
  const Bytes odd = Pattern(3);
  const TempFile fmtFirst(Riff({Chunk("fmt ", PcmFormat()), Chunk("junk", odd), Chunk("data", samples)}));
  const TempFile dataFirst(
      Riff({Chunk("LIST", Pattern(5)), Chunk("data", samples), Chunk("fmt ", PcmFormat())}));
  for (const TempFile* file : {&fmtFirst, &dataFirst}) {
    const Loaded loaded = WalkWave(file->path());
    EXPECT_EQ(loaded.failedAt, MMSYSERR_NOERROR) << "step " << loaded.step;
    EXPECT_EQ(loaded.format, PcmFormat());
    EXPECT_EQ(loaded.data, samples);
  }
}

TEST(MmioTest, AscendStepsOverThePadByteOfAnOddChunk) {
  HeadlessEnv env;
  const TempFile file(Riff({Chunk("junk", Pattern(5)), Chunk("next", {9, 8})}));
  HMMIO mm = mmioOpenA(file.path(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(mm, nullptr);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(mm, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.dwDataOffset, 8u);
  MMCKINFO junk{};
  ASSERT_EQ(mmioDescend(mm, &junk, &riff, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(junk.ckid, mmioFOURCC('j', 'u', 'n', 'k'));
  EXPECT_EQ(junk.cksize, 5u);
  ASSERT_EQ(mmioAscend(mm, &junk, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioSeek(mm, 0, SEEK_CUR_MMIO), 12 + 8 + 6);
  MMCKINFO next{};
  ASSERT_EQ(mmioDescend(mm, &next, &riff, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(next.ckid, mmioFOURCC('n', 'e', 'x', 't'));
  char bytes[4] = {};
  EXPECT_EQ(mmioRead(mm, bytes, 4), 2) << "the file ends after the chunk";
  EXPECT_EQ(bytes[0], 9);
  EXPECT_EQ(mmioClose(mm, 0), MMSYSERR_NOERROR);
}

TEST(MmioTest, BrokenFilesFailWithoutReadingOutsideThem) {
  HeadlessEnv env;
  const Bytes good = Riff({Chunk("fmt ", PcmFormat()), Chunk("data", Pattern(100))});
  struct Case {
    const char* what;
    Bytes bytes;
    int failingStep;
  };
  Bytes truncatedHeader(good.begin(), good.begin() + 6);
  Bytes cutInData(good.begin(), good.end() - 10);
  Bytes cutInFmtHeader = Riff({});
  PutId(cutInFmtHeader, "fmt ");
  cutInFmtHeader.push_back(16);
  cutInFmtHeader[4] = static_cast<std::uint8_t>(cutInFmtHeader.size() - 8);
  // The sub-chunk claims more than its parent holds, though the file goes on.
  Bytes pastParent = Riff({Chunk("fmt ", PcmFormat()), Chunk("data", Pattern(40), 400)}, 4 + 24 + 8 + 40);
  const Bytes tail = Pattern(600);
  pastParent.insert(pastParent.end(), tail.begin(), tail.end());
  Bytes notWave = good;
  notWave[8] = 'X';
  const Case cases[] = {
      {"a header cut short", truncatedHeader, 2},
      {"a RIFF size past the end of the file", cutInData, 2},
      {"a sub-chunk header cut short", cutInFmtHeader, 3},
      {"a sub-chunk running past its parent", pastParent, 9},
      {"no WAVE form", notWave, 2},
      {"no data chunk", Riff({Chunk("fmt ", PcmFormat())}), 9},
      {"no fmt chunk", Riff({Chunk("data", Pattern(10))}), 3},
  };
  for (const Case& c : cases) {
    const TempFile file(c.bytes);
    const Loaded loaded = WalkWave(file.path());
    EXPECT_NE(loaded.failedAt, MMSYSERR_NOERROR) << c.what;
    EXPECT_EQ(loaded.step, c.failingStep) << c.what;
  }
  EXPECT_EQ(WalkWave("/nonexistent/chompo.wav").step, 1);
}

TEST(MmioTest, SeeksOutsideTheFileFailAndLeaveThePositionAlone) {
  HeadlessEnv env;
  const TempFile file(Pattern(50));
  HMMIO mm = mmioOpenA(file.path(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(mm, nullptr);
  EXPECT_EQ(mmioSeek(mm, 20, SEEK_SET_MMIO), 20);
  EXPECT_EQ(mmioSeek(mm, 51, SEEK_SET_MMIO), -1);
  EXPECT_EQ(mmioSeek(mm, -21, SEEK_CUR_MMIO), -1);
  EXPECT_EQ(mmioSeek(mm, 1, SEEK_END_MMIO), -1);
  EXPECT_EQ(mmioSeek(mm, 0, 7), -1);
  char byte = 0;
  ASSERT_EQ(mmioRead(mm, &byte, 1), 1);
  EXPECT_EQ(static_cast<std::uint8_t>(byte), Pattern(50)[20]);
  EXPECT_EQ(mmioSeek(mm, 0, SEEK_END_MMIO), 50);
  EXPECT_EQ(mmioRead(mm, &byte, 1), 0);

  // The I/O buffer at the end of the file holds nothing more.
  MMIOINFO info{};
  ASSERT_EQ(mmioGetInfo(mm, &info, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(info.pchNext, info.pchEndRead);
  ASSERT_EQ(mmioAdvance(mm, &info, MMIO_READ), MMSYSERR_NOERROR);
  EXPECT_EQ(info.pchNext, info.pchEndRead);
  // A description of the buffer that no longer matches it is refused.
  MMIOINFO stale = info;
  stale.pchNext = stale.pchBuffer + 100;
  EXPECT_NE(mmioAdvance(mm, &stale, MMIO_READ), MMSYSERR_NOERROR);
  EXPECT_NE(mmioSetInfo(mm, &stale, 0), MMSYSERR_NOERROR);
  mmioClose(mm, 0);
}

TEST(LowLevelFileTest, ReadsInOrderAndReportsShortReadsAndMissingFiles) {
  HeadlessEnv env;
  const Bytes bytes = Pattern(70);
  const TempFile file(bytes);
  HFILE handle = _lopen(file.path(), OF_READ);
  ASSERT_NE(handle, HFILE_ERROR);
  Bytes first(14);
  Bytes rest(100);
  EXPECT_EQ(_lread(handle, first.data(), 14), 14u);
  EXPECT_EQ(_lread(handle, rest.data(), 100), 56u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), bytes.begin()));
  EXPECT_TRUE(std::equal(rest.begin(), rest.begin() + 56, bytes.begin() + 14));
  EXPECT_EQ(_lclose(handle), 0);
  EXPECT_EQ(_lopen("/nonexistent/chompo.bmp", OF_READ), HFILE_ERROR);
  EXPECT_EQ(_lread(-1, first.data(), 1), static_cast<UINT>(HFILE_ERROR));
}

}  // namespace
