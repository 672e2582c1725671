// Sound blocks, the buffer that plays them, the RIFF WAVE reader and building "wave.col".
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "assets/MemoryStream.h"
#include "platform/System.h"
#include "sound/WaveBlock.h"
#include "sound/WaveCollection.h"
#include "sound/WaveFile.h"

namespace {

// A device that keeps a copy of every buffer (so a read past a block shows under the sanitizer)
// and records what was played and released.
class RecordingDevice : public AudioDevice {
 public:
  std::function<bool(const TWaveFormat&)> accepts = [](const TWaveFormat& f) {
    return f.wFormatTag == 1;
  };
  int32_t CreateBuffer(const TWaveFormat& f, const uint8_t* data, size_t size) override {
    if (!accepts(f)) return DDERR_INVALIDPARAMS;
    const int32_t h = next++;
    live[h] = std::string(reinterpret_cast<const char*>(data), size);
    formats[h] = f;
    return h;
  }
  HRESULT Play(int32_t b) override {
    if (!live.count(b)) return DDERR_INVALIDPARAMS;
    played.push_back(b);
    return DD_OK;
  }
  void Stop() override {}
  void ReleaseBuffer(int32_t b) override { live.erase(b); }

  int32_t next = 0;
  std::map<int32_t, std::string> live;
  std::map<int32_t, TWaveFormat> formats;
  std::vector<int32_t> played;
};

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char(uint8_t(v >> (8 * i)));
  return s;
}

TWaveFormat Pcm(uint16_t channels = 1, uint16_t bits = 16, uint32_t rate = 22050) {
  TWaveFormat f;
  f.nChannels = channels;
  f.wBitsPerSample = bits;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = uint16_t(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}

// A block with the given N in front of the format and the sample bytes that follow.
std::string RawBlock(uint32_t n, const TWaveFormat& f, const std::string& samples) {
  return Le(n, 4) + WriteWaveFormat(f) + samples;
}

TEST(WaveBlock, LayoutIsCountFormatSamples) {
  const std::string b = MakeWaveBlock(Pcm(2, 8, 11025), "abcd");
  ASSERT_EQ(b.size(), 26u);
  EXPECT_EQ(b.substr(0, 4), Le(4, 4));
  EXPECT_EQ(b.substr(4, 18),
            Le(1, 2) + Le(2, 2) + Le(11025, 4) + Le(22050, 4) + Le(2, 2) + Le(8, 2) + Le(0, 2));
  EXPECT_EQ(b.substr(22), "abcd");
  TWaveBlockView v;
  ASSERT_TRUE(ParseWaveBlock(b, v));
  EXPECT_EQ(v.SampleBytes, 4u);
  EXPECT_EQ(v.Format.nSamplesPerSec, 11025u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.Samples), 4), "abcd");
}

class WaveBuffer : public ::testing::Test {
 protected:
  RecordingDevice device;
  TWaveCollection sounds{&device};
};

TEST_F(WaveBuffer, DamagedOrUnplayableBlocksGiveNoSound) {
  TWaveFormat adpcm = Pcm();
  adpcm.wFormatTag = 2;
  const struct {
    const char* what;
    std::string block;
  } cases[] = {
      {"empty", ""},
      {"21 bytes", RawBlock(0, Pcm(), "").substr(0, 21)},
      {"N one past the end", RawBlock(5, Pcm(), "abcd")},
      {"N far past the end", RawBlock(0xFFFFFFFF, Pcm(), "abcd")},
      {"N = 2^31", RawBlock(0x80000000, Pcm(), "abcd")},
      {"no samples", RawBlock(0, Pcm(), "")},
      {"a format the device refuses", RawBlock(4, adpcm, "abcd")},
  };
  for (const auto& c : cases) {
    sounds.Clear();
    sounds.AddBlock("s", c.block);
    EXPECT_FALSE(sounds.LoadBuffer(0)) << c.what;
    EXPECT_EQ(sounds.Buffer, -1) << c.what;
    EXPECT_FALSE(sounds.PlayBuffer(false)) << c.what;
  }
  EXPECT_TRUE(device.played.empty());
  EXPECT_TRUE(device.live.empty());
}

TEST_F(WaveBuffer, HeadlessDeviceRefusesFormatsItCannotPlay) {
  auto system = System::Create(true, false);
  auto audio = system->OpenAudio();
  ASSERT_TRUE(audio);
  TWaveCollection real(audio.get());
  TWaveFormat float32 = Pcm(1, 32);
  float32.wFormatTag = 3;
  for (const TWaveFormat& f : {Pcm(1, 24), Pcm(6, 16), float32})
    real.AddBlock("odd", MakeWaveBlock(f, "abcdef"));
  real.AddBlock("ok", MakeWaveBlock(Pcm(2, 16), "abcd"));
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(real.LoadBuffer(i)) << i;
  EXPECT_TRUE(real.LoadBuffer(3));
  EXPECT_TRUE(real.PlayBuffer(false));
}

TEST_F(WaveBuffer, OnlyTheAnnouncedSamplesGoToTheDevice) {
  sounds.AddBlock("s", RawBlock(3, Pcm(), "abcdef"));  // bytes after the N samples are ignored
  ASSERT_TRUE(sounds.LoadBuffer(0));
  EXPECT_EQ(sounds.BufferBytes, 3);
  EXPECT_EQ(device.live.at(sounds.Buffer), "abc");
  EXPECT_EQ(device.formats.at(sounds.Buffer).nSamplesPerSec, 22050u);
}

TEST_F(WaveBuffer, EachRequestReplacesTheBufferAndPlaysFromTheStart) {
  sounds.AddBlock("a", MakeWaveBlock(Pcm(), "aa"));
  sounds.AddBlock("b", MakeWaveBlock(Pcm(), "bbbb"));
  ASSERT_TRUE(sounds.LoadBuffer(0));
  ASSERT_TRUE(sounds.PlayBuffer(false));
  const int32_t first = sounds.Buffer;
  ASSERT_TRUE(sounds.LoadBuffer(1));
  EXPECT_EQ(device.live.count(first), 0u) << "the previous sound is cut";
  ASSERT_TRUE(sounds.PlayBuffer(false));
  ASSERT_TRUE(sounds.PlayBuffer(false));
  EXPECT_EQ(device.played, (std::vector<int32_t>{first, sounds.Buffer, sounds.Buffer}));
  EXPECT_FALSE(sounds.PlayBuffer(true)) << "the device plays once only";

  // An index outside the collection also drops the sound that was loaded.
  for (int32_t index : {-1, 2, 1000}) {
    ASSERT_TRUE(sounds.LoadBuffer(0));
    EXPECT_FALSE(sounds.LoadBuffer(index));
    EXPECT_TRUE(device.live.empty());
    EXPECT_FALSE(sounds.PlayBuffer(false));
  }
}

TEST(WaveBufferNoDevice, NothingLoadsOrPlays) {
  TWaveCollection sounds(nullptr);
  sounds.AddBlock("a", MakeWaveBlock(Pcm(), "aa"));
  EXPECT_FALSE(sounds.LoadBuffer(0));
  EXPECT_FALSE(sounds.PlayBuffer(false));
}

// --- RIFF WAVE files ---

std::string Chunk(const std::string& id, const std::string& data, bool pad = true) {
  std::string c = id + Le(uint32_t(data.size()), 4) + data;
  if (pad && data.size() % 2) c += '\0';
  return c;
}
std::string Riff(const std::string& chunks) {
  return "RIFF" + Le(uint32_t(4 + chunks.size()), 4) + "WAVE" + chunks;
}
std::string Fmt16(const TWaveFormat& f) {
  return WriteWaveFormat(f).substr(0, 16);
}

TEST(WaveRead, FindsFormatAndDataAmongOtherChunks) {
  const std::string file = Riff(Chunk("LIST", "odd") + Chunk("fmt ", Fmt16(Pcm(2, 8, 8000))) +
                                Chunk("junk", "12345") + Chunk("data", "samples"));
  TWaveSoundRead r;
  ASSERT_TRUE(r.OpenBytes(file));
  EXPECT_EQ(r.Format.nChannels, 2);
  EXPECT_EQ(r.Format.nSamplesPerSec, 8000u);
  EXPECT_EQ(r.Format.cbSize, 0);
  EXPECT_EQ(r.DataChunk.Size, 7u);
  uint8_t buf[16];
  uint32_t n = 0;
  r.ReadData(4, buf, n);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "samp");
  r.ReadData(16, buf, n);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "les");
  r.ReadData(16, buf, n);
  EXPECT_EQ(n, 0u);
  ASSERT_TRUE(r.RestartData());
  r.ReadData(16, buf, n);
  EXPECT_EQ(n, 7u);
}

TEST(WaveRead, SizesAreTrustedOnlyAsFarAsTheFileGoes) {
  // The data chunk says 1000 bytes, the file holds 5; the RIFF size is far too large as well.
  std::string file = "RIFF" + Le(0xFFFFFFF0, 4) + "WAVE" + Chunk("fmt ", Fmt16(Pcm())) + "data" +
                     Le(1000, 4) + "12345";
  TWaveSoundRead r;
  ASSERT_TRUE(r.OpenBytes(file));
  EXPECT_EQ(r.DataChunk.Size, 5u);
}

TEST(WaveRead, RefusesWhatIsNotAUsableWave) {
  TWaveFormat ext = Pcm();
  ext.wFormatTag = 0xFFFE;
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"not RIFF", "RIFX" + Riff(Chunk("fmt ", Fmt16(Pcm())) + Chunk("data", "ab")).substr(4)},
      {"not WAVE", "RIFF" + Le(16, 4) + "AVI " + Chunk("data", "ab")},
      {"lower-case form", "RIFF" + Le(16, 4) + "wave" + Chunk("fmt ", Fmt16(Pcm()))},
      {"no fmt", Riff(Chunk("data", "ab"))},
      {"fmt of 14 bytes", Riff(Chunk("fmt ", Fmt16(Pcm()).substr(0, 14)) + Chunk("data", "ab"))},
      {"fmt cut by the end", Riff("fmt " + Le(16, 4) + "12345678")},
      {"extra bytes past fmt",
       Riff(Chunk("fmt ", Fmt16(ext) + Le(22, 2) + "1234") + Chunk("data", "ab"))},
      {"no data", Riff(Chunk("fmt ", Fmt16(Pcm())))},
      {"chunk size past the RIFF end",
       Riff(Chunk("fmt ", Fmt16(Pcm())) + "LIST" + Le(0x7FFFFFFF, 4) + Chunk("data", "ab"))},
  };
  for (const auto& c : cases) {
    TWaveSoundRead r;
    EXPECT_FALSE(r.OpenBytes(c.file)) << c.what;
  }
  TWaveSoundRead r;
  EXPECT_FALSE(r.OpenWave("/nonexistent/x.wav"));
}

TEST(WaveRead, ExtraFormatBytesAreReadButNotStored) {
  TWaveFormat ext = Pcm();
  ext.wFormatTag = 0xFFFE;
  const std::string extra(22, 'x');
  const std::string file =
      Riff(Chunk("fmt ", Fmt16(ext) + Le(22, 2) + extra) + Chunk("data", "abcd"));
  RecordingDevice device;
  device.accepts = [](const TWaveFormat&) { return true; };
  const auto path = std::filesystem::temp_directory_path() / "vor_wave_extra.wav";
  std::ofstream(path, std::ios::binary) << file;
  TWave wave(&device);
  ASSERT_TRUE(wave.LoadFile(path.string()));
  EXPECT_EQ(wave.Reader.Format.cbSize, 22);
  EXPECT_EQ(wave.Reader.FormatExtra, extra);
  TMemoryStream stream;
  wave.SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), Le(4, 4) + WriteWaveFormat([&] {
                              TWaveFormat f = ext;
                              f.cbSize = 0;
                              return f;
                            }()) +
                                "abcd");
  std::filesystem::remove(path);
}

// --- Building "wave.col" ---

class WaveBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vor_wave_build_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Put(const std::string& name, const std::string& bytes) {
    const auto p = dir / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::filesystem::path dir;
  RecordingDevice device;
};

TEST_F(WaveBuild, ListOfWavFilesBecomesACollectionThatLoadsBack) {
  const std::string a = Put("a.wav", Riff(Chunk("fmt ", Fmt16(Pcm())) + Chunk("data", "AAAA")));
  const std::string b = Put("b.wav", Riff(Chunk("fmt ", Fmt16(Pcm(2, 8))) + Chunk("data", "BB")));
  const std::string list =
      Put("sounds.txt", "  hit \t " + a + " \r\nno tab here\r\n\t" + b + "\r\nmenu\t" + b + "\r\n");
  TWaveCollection sounds(&device);
  sounds.FileName = (dir / "wave.col").string();
  ASSERT_TRUE(sounds.BuildFromList(list));
  ASSERT_EQ(sounds.Count(), 2);
  EXPECT_EQ(sounds.Strings(0), "hit");
  EXPECT_EQ(sounds.Strings(1), "menu");
  EXPECT_TRUE(device.live.empty()) << "building leaves no buffer behind";

  TWaveCollection loaded(&device);
  loaded.FileName = sounds.FileName;
  ASSERT_TRUE(loaded.Load());
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.GetBlock(0)->Bytes(), MakeWaveBlock(Pcm(), "AAAA"));
  EXPECT_EQ(loaded.GetBlock(1)->Bytes(), MakeWaveBlock(Pcm(2, 8), "BB"));
  ASSERT_TRUE(loaded.LoadBuffer(1));
  EXPECT_EQ(device.live.at(loaded.Buffer), "BB");
}

TEST_F(WaveBuild, MissingOrUnloadableFilesMakeTheBuildFail) {
  TWaveFormat adpcm = Pcm();
  adpcm.wFormatTag = 2;
  const std::string good = Put("good.wav", Riff(Chunk("fmt ", Fmt16(Pcm())) + Chunk("data", "gg")));
  const std::string odd = Put("odd.wav", Riff(Chunk("fmt ", Fmt16(adpcm)) + Chunk("data", "oo")));
  const std::string junk = Put("junk.wav", "not a wave at all");
  const std::string list = Put("sounds.txt", "a\t" + (dir / "missing.wav").string() + "\nb\t" +
                                                 odd + "\nc\t" + junk + "\nd\t" + good + "\n");
  TWaveCollection sounds(&device);
  sounds.FileName = (dir / "wave.col").string();
  EXPECT_FALSE(sounds.BuildFromList(list));
  // The missing file is skipped; the files that failed to load keep their places, empty.
  ASSERT_EQ(sounds.Count(), 3);
  EXPECT_EQ(sounds.GetBlock(0)->Size(), 0u);
  EXPECT_EQ(sounds.GetBlock(1)->Size(), 0u);
  EXPECT_EQ(sounds.GetBlock(2)->Bytes(), MakeWaveBlock(Pcm(), "gg"));
  EXPECT_TRUE(std::filesystem::exists(sounds.FileName)) << "what could be built is saved";
  EXPECT_FALSE(sounds.LoadBuffer(0));
  EXPECT_TRUE(sounds.LoadBuffer(2));

  EXPECT_FALSE(sounds.BuildFromList((dir / "no-list.txt").string()));
  TWaveCollection deaf(nullptr);
  deaf.FileName = (dir / "deaf.col").string();
  EXPECT_FALSE(deaf.BuildFromList(list)) << "building needs a sound device";
}

}  // namespace
