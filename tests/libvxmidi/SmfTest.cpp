// The Standard MIDI File reader and writer: records and meta events of tiny inline files,
// defects that cut a track or refuse a file, and scores written and read back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "SmfFile.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Found by argument lookup, so beside VxMidiEvent in the global namespace.
static bool operator==(const VxMidiEvent &a, const VxMidiEvent &b) {
  return a.time == b.time && a.status == b.status && a.data1 == b.data1 && a.data2 == b.data2 &&
         a.data3 == b.data3;
}

static void PrintTo(const VxMidiEvent &e, std::ostream *os) {
  *os << "{" << e.time << ", 0x" << std::hex << int(e.status) << std::dec << ", " << int(e.data1)
      << ", " << int(e.data2) << ", " << int(e.data3) << "}";
}

namespace {

void put32(Bytes &out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A whole file: MThd with format, declared track count and division, then one MTrk per body.
Bytes smf(uint16_t format, uint16_t division, std::initializer_list<Bytes> bodies,
          int declaredTracks = -1) {
  const uint16_t tracks = declaredTracks < 0 ? bodies.size() : declaredTracks;
  Bytes out = {'M',
               'T',
               'h',
               'd',
               0,
               0,
               0,
               6,
               uint8_t(format >> 8),
               uint8_t(format),
               uint8_t(tracks >> 8),
               uint8_t(tracks),
               uint8_t(division >> 8),
               uint8_t(division)};
  for (const Bytes &body : bodies) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes operator+(Bytes a, const Bytes &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using Records = std::vector<VxMidiEvent>;

class Smf : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kovrinta-smf-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string &name) const { return (dir_ / name).string(); }

  std::string store(const Bytes &bytes, const std::string &name = "in.mid") const {
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    return path(name);
  }

  std::unique_ptr<vx::SmfFile> open(const Bytes &bytes) {
    return vx::SmfFile::openForReading(store(bytes), &diagnostic);
  }

  static Records readAll(vx::SmfFile &file, uint32_t track, uint32_t room = 64) {
    Records all;
    Records block(room);
    while (uint32_t n = file.read(track, block.data(), room))
      all.insert(all.end(), block.begin(), block.begin() + n);
    return all;
  }

  static std::string meta(vx::SmfFile &file, uint32_t track, uint8_t type) {
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    if (!file.readMeta(track, type, &data, &length)) return "<absent>";
    return std::string(reinterpret_cast<const char *>(data), length);
  }

  std::string diagnostic;
  fs::path dir_;
};

// --- Records of sound files

TEST_F(Smf, RunningStatusAndTwoByteMessagesGiveWholeRecords) {
  auto file = open(smf(0, 96,
                       {Bytes{0x00, 0x90, 0x3C, 0x64, 0x10, 0x3E, 0x50,  // running status
                              0x05, 0xC1, 0x07, 0x02, 0x08,              // program changes
                              0x00, 0xD2, 0x40, 0x03, 0xE0, 0x00, 0x40} +
                        kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(readAll(*file, 0), (Records{{0, 0x90, 0x3C, 0x64, 0},
                                        {16, 0x90, 0x3E, 0x50, 0},
                                        {5, 0xC1, 0x07, 0, 0},
                                        {2, 0xC1, 0x08, 0, 0},
                                        {0, 0xD2, 0x40, 0, 0},
                                        {3, 0xE0, 0x00, 0x40, 0}}));
  EXPECT_TRUE(diagnostic.empty()) << diagnostic;
}

TEST_F(Smf, LeftOutEventsCarryTheirDeltaAndKeepRunningStatus) {
  const Bytes body = Bytes{0x00, 0x99, 0x24, 0x64} +
                     Bytes{0x07, 0xFF, 0x01, 0x02, 'h', 'i'} +              // text meta
                     Bytes{0x05, 0xF0, 0x03, 0x7E, 0x7F, 0xF7} +            // sysex
                     Bytes{0x02, 0xF7, 0x01, 0xF8} +                        // escape
                     Bytes{0x01, 0x26, 0x50} +                              // running status
                     Bytes{0x83, 0x60, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}  // tempo, not track 0
                     + kEnd;
  auto file = open(smf(1, 96, {kEnd, body + Bytes{}}));
  ASSERT_TRUE(file) << diagnostic;
  // Track 1 ends with the tempo's 480 ticks carried into no record.
  EXPECT_EQ(readAll(*file, 1), (Records{{0, 0x99, 0x24, 0x64, 0}, {15, 0x99, 0x26, 0x50, 0}}));
}

TEST_F(Smf, CarriedDeltasAreUnsigned32BitSums) {
  Bytes body;
  // Seventeen text events of 0x0FFFFFFF ticks each, then a note 0x11 ticks later: the
  // sum 0x110000000 wraps to 0x10000000.
  for (int i = 0; i < 17; ++i) body = body + Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00};
  auto file = open(smf(0, 96, {body + Bytes{0x11, 0x90, 0x3C, 0x64} + kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(readAll(*file, 0), (Records{{0x10000000, 0x90, 0x3C, 0x64, 0}}));
}

TEST_F(Smf, TempoAndTimeSignatureBecomeRecordsInTrackZeroOnly) {
  const Bytes tempos = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,        // 500000 us
                        0x00, 0xFF, 0x58, 0x04, 0x06, 0x03, 0x0C, 0x08,  // 6/8
                        0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,        // 1000000 us at 96
                        0x10, 0xFF, 0x51, 0x02, 0x01, 0x02,              // too short for a tempo
                        0x04, 0xFF, 0x58, 0x01, 0x07,                    // too short for a bar
                        0x04, 0x80, 0x3C, 0x00};
  const Bytes drums = {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x58,
                       0x04, 0x07, 0x03, 0x18, 0x08, 0x30, 0x99, 0x24, 0x64};
  auto file = open(smf(1, 480, {tempos + kEnd, drums + kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(file->resolution(), 480);
  EXPECT_EQ(readAll(*file, 0), (Records{{0, 0, 0x07, 0xA1, 0x20},
                                        {0, 0x58, 6, 3, 0},
                                        {0x60, 0, 0x0F, 0x42, 0x40},
                                        {0x18, 0x80, 0x3C, 0x00, 0}}));
  EXPECT_EQ(readAll(*file, 1), (Records{{0x30, 0x99, 0x24, 0x64, 0}}));
  EXPECT_EQ(meta(*file, 1, 0x51), "\x0F\x42\x40") << "the meta stays readable in every track";
}

TEST_F(Smf, ReadMetaAnswersTheFirstOfItsTypeUntilClose) {
  auto file = open(smf(1, 96,
                       {Bytes{0x00, 0xFF, 0x03, 0x04, 'K', 'i', 'c', 'k', 0x10, 0xFF, 0x03, 0x03,
                              'S', 'n', 'r', 0x00, 0xFF, 0x03, 0x00} +
                            kEnd,
                        Bytes{0x00, 0xFF, 0x01, 0x00} + kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(meta(*file, 0, 0x03), "Kick");
  EXPECT_EQ(meta(*file, 1, 0x01), "") << "an empty meta event is present with length 0";
  EXPECT_EQ(meta(*file, 1, 0x03), "<absent>");
  EXPECT_EQ(meta(*file, 2, 0x03), "<absent>") << "no such track";
  const uint8_t *data = nullptr;
  uint32_t length = 0;
  ASSERT_TRUE(file->readMeta(0, 0x03, &data, &length));
  readAll(*file, 0);
  file->rewind();
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(data), length), "Kick");
}

TEST_F(Smf, ReadsContinuePerTrackInSmallRoomsAndRewindRestartsEveryTrack) {
  Bytes notes;
  for (uint8_t n = 0; n < 5; ++n) notes = notes + Bytes{0x01, 0x90, uint8_t(60 + n), 0x40};
  auto file = open(smf(1, 96, {notes + kEnd, Bytes{0x00, 0xC9, 0x05} + kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  VxMidiEvent block[2];
  EXPECT_EQ(file->read(0, block, 2), 2u);
  EXPECT_EQ(file->read(1, block, 2), 1u) << "tracks keep their own place";
  EXPECT_EQ(file->read(0, block, 2), 2u);
  EXPECT_EQ(block[1].data1, 63);
  EXPECT_EQ(file->read(0, block, 2), 1u);
  EXPECT_EQ(block[0].data1, 64);
  EXPECT_EQ(file->read(0, block, 2), 0u);
  EXPECT_EQ(file->read(0, block, 0), 0u);
  file->rewind();
  EXPECT_EQ(file->read(1, block, 2), 1u);
  EXPECT_EQ(readAll(*file, 0, 1).size(), 5u);
  EXPECT_EQ(file->read(7, block, 2), 0u) << "no such track";
}

TEST_F(Smf, RmidWrapperIsReadAsTheFileInside) {
  const Bytes inner =
      smf(0, 120, {Bytes{0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x03, 0x01, 'T'} + kEnd});
  auto riff = [](const char *form, const Bytes &data) {
    Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
    out.insert(out.end(), form, form + 4);
    out = out + Bytes{'I', 'N', 'F', 'O', 3, 0, 0, 0, 'a', 'b', 'c', 0};  // odd length, padded
    out = out + Bytes{'d', 'a', 't', 'a', uint8_t(data.size()), uint8_t(data.size() >> 8), 0, 0};
    return out + data;
  };
  auto file = open(riff("RMID", inner));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(file->resolution(), 120);
  EXPECT_EQ(readAll(*file, 0), (Records{{0, 0x90, 0x3C, 0x64, 0}}));
  EXPECT_EQ(meta(*file, 0, 0x03), "T");
  EXPECT_FALSE(open(riff("WAVE", inner)));
}

TEST_F(Smf, HeaderFormsAndChunksAroundTheTracks) {
  Bytes longHeader = smf(2, 0xE728, {Bytes{0x00, 0xB0, 0x07, 0x64} + kEnd});
  longHeader[7] = 8;  // two extra header bytes to skip
  longHeader.insert(longHeader.begin() + 14, {0xAA, 0xBB});
  auto file = open(longHeader);
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(file->resolution(), 0xE728) << "a time-code division is answered raw";
  EXPECT_EQ(readAll(*file, 0), (Records{{0, 0xB0, 0x07, 0x64, 0}}));

  Bytes withUnknown = smf(1, 96, {kEnd, Bytes{0x00, 0x91, 0x40, 0x40} + kEnd});
  const Bytes unknown = {'X', 'F', 'I', 'H', 0, 0, 0, 2, 0x12, 0x34};
  withUnknown.insert(withUnknown.begin() + 14 + 8 + kEnd.size(), unknown.begin(), unknown.end());
  file = open(withUnknown);
  ASSERT_TRUE(file) << diagnostic;
  ASSERT_EQ(file->trackCount(), 2u) << "the unknown chunk is skipped, not counted";
  EXPECT_EQ(readAll(*file, 1), (Records{{0, 0x91, 0x40, 0x40, 0}}));
}

TEST_F(Smf, DeclaredTrackCountIsCappedByTheChunksPresent) {
  const Bytes track = Bytes{0x00, 0x99, 0x24, 0x64} + kEnd;
  auto fewer = open(smf(1, 96, {track, track, track}, 1));
  ASSERT_TRUE(fewer) << diagnostic;
  EXPECT_EQ(fewer->trackCount(), 1u);
  EXPECT_NE(diagnostic.find("2 more MTrk"), std::string::npos) << diagnostic;
  auto more = open(smf(1, 96, {track, track}, 5));
  ASSERT_TRUE(more) << diagnostic;
  EXPECT_EQ(more->trackCount(), 2u);
  EXPECT_NE(diagnostic.find("declares 5 tracks, 2 found"), std::string::npos) << diagnostic;
}

// --- Defects: refused, or read as far as sound

TEST_F(Smf, FilesWithoutASoundHeaderAreRefused) {
  const Bytes good = smf(0, 96, {kEnd});
  Bytes shortLength = good;
  shortLength[7] = 5;
  Bytes pastEnd = good;
  pastEnd[6] = 0x03;  // MThd length 0x305
  Bytes noTrack = good;
  noTrack[14] = 'm';  // "mTrk"
  const std::vector<std::pair<const char *, Bytes>> cases = {
      {"empty", {}},
      {"header only, cut", Bytes(good.begin(), good.begin() + 9)},
      {"not a MIDI file", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'}},
      {"MThd length 5", shortLength},
      {"MThd length past the end", pastEnd},
      {"declared track missing", noTrack}};
  for (const auto &[name, bytes] : cases) {
    EXPECT_FALSE(open(bytes)) << name;
    EXPECT_NE(diagnostic.find("refused"), std::string::npos) << name << ": " << diagnostic;
  }
  EXPECT_FALSE(vx::SmfFile::openForReading(path("missing.mid"), &diagnostic));
  EXPECT_FALSE(vx::SmfFile::openForReading(dir_.string(), &diagnostic)) << "a folder";
}

TEST_F(Smf, DamagedTracksAreCutWhereTheDamageBegins) {
  const Bytes lead = {0x00, 0x90, 0x3C, 0x64, 0x10, 0x80, 0x3C, 0x40};
  const Records kept = {{0, 0x90, 0x3C, 0x64, 0}, {16, 0x80, 0x3C, 0x40, 0}};
  const std::vector<std::pair<const char *, Bytes>> cases = {
      {"truncated event", lead + Bytes{0x00, 0x90, 0x3E}},
      {"delta without event", lead + Bytes{0x81}},
      {"5-byte VLQ", lead + Bytes{0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3E, 0x40} + kEnd},
      {"huge sysex", lead + Bytes{0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0x01} + kEnd},
      {"huge meta", lead + Bytes{0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F, 'a'} + kEnd},
      {"meta type cut", lead + Bytes{0x00, 0xFF}},
      {"events after End of Track", lead + kEnd + Bytes{0x00, 0x90, 0x40, 0x40}}};
  for (const auto &[name, body] : cases) {
    auto file = open(smf(1, 96, {kEnd, body}));
    ASSERT_TRUE(file) << name << ": " << diagnostic;
    EXPECT_EQ(readAll(*file, 1), kept) << name;
    EXPECT_NE(diagnostic.find("track 1 at byte "), std::string::npos) << name << ": " << diagnostic;
    EXPECT_NE(diagnostic.find("in.mid"), std::string::npos) << name << ": " << diagnostic;
  }
}

TEST_F(Smf, DataByteWithoutRunningStatusCutsTheTrackAtItsStart) {
  auto file = open(smf(0, 96, {Bytes{0x00, 0x3C, 0x64, 0x00, 0x90, 0x3C, 0x64} + kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_TRUE(readAll(*file, 0).empty());
  EXPECT_NE(diagnostic.find("track 0 at byte 23: data byte"), std::string::npos) << diagnostic;
}

TEST_F(Smf, ChunkLengthPastTheEndIsReadToTheEndOfTheFile) {
  Bytes file = smf(0, 96, {Bytes{0x00, 0x90, 0x3C, 0x64} + kEnd});
  file[18] = 0xFF;  // MTrk length 0xFF000008
  auto opened = open(file);
  ASSERT_TRUE(opened) << diagnostic;
  EXPECT_EQ(readAll(*opened, 0), (Records{{0, 0x90, 0x3C, 0x64, 0}}));
  EXPECT_NE(diagnostic.find("runs past the end"), std::string::npos) << diagnostic;
}

TEST_F(Smf, StatusBytesInDataPlacesAreClippedToDataValues) {
  auto file = open(smf(0, 96, {Bytes{0x00, 0x90, 0x4B, 0xE0, 0x10, 0xB0, 0x80, 0x7F} + kEnd}));
  ASSERT_TRUE(file) << diagnostic;
  EXPECT_EQ(readAll(*file, 0), (Records{{0, 0x90, 0x4B, 0x7F, 0}, {16, 0xB0, 0x7F, 0x7F, 0}}));
}

TEST_F(Smf, FilesAboveTheSizeLimitAreRefusedUnread) {
  const std::string name = store(smf(0, 96, {kEnd}), "huge.mid");
  fs::resize_file(name, (64u << 20) + 1);  // sparse: costs no disk
  EXPECT_FALSE(vx::SmfFile::openForReading(name, &diagnostic));
  EXPECT_NE(diagnostic.find("MiB"), std::string::npos) << diagnostic;
}

// --- Writing

TEST_F(Smf, AWrittenScoreReadsBackUnchanged) {
  const Records tempo = {{0, 0, 0x07, 0xA1, 0x20}, {0, 0x58, 3, 2, 0}, {1920, 0, 0x06, 0x1A, 0x80}};
  const Records drums = {{0, 0xC9, 0x00, 0, 0},         {0, 0x99, 0x24, 0x64, 0},
                         {0, 0x99, 0x2A, 0x50, 0},      {120, 0x89, 0x24, 0x40, 0},
                         {0, 0x99, 0x2A, 0x00, 0},      {5, 0xE9, 0x00, 0x40, 0},
                         {0x30000000, 0xD9, 0x10, 0, 0}};  // a delta no single VLQ holds
  const std::string name = path("out.mid");
  {
    auto out = vx::SmfFile::openForWriting(name);
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->setResolution(480));
    EXPECT_EQ(out->write(1, drums.data(), 4), 4u) << "track 1 made first, track 0 with it";
    EXPECT_EQ(out->write(1, drums.data() + 4, 3), 3u);
    EXPECT_EQ(out->write(0, tempo.data(), 3), 3u);
    EXPECT_TRUE(out->writeMeta(1, 0x03, reinterpret_cast<const uint8_t *>("Drums"), 0));
    EXPECT_EQ(out->trackCount(), 2u);
    EXPECT_TRUE(out->finish());
  }
  auto in = vx::SmfFile::openForReading(name, &diagnostic);
  ASSERT_TRUE(in) << diagnostic;
  EXPECT_TRUE(diagnostic.empty()) << diagnostic;
  EXPECT_EQ(in->trackCount(), 2u);
  EXPECT_EQ(in->resolution(), 480);
  EXPECT_EQ(readAll(*in, 0), tempo);
  EXPECT_EQ(readAll(*in, 1), drums);
  EXPECT_EQ(meta(*in, 1, 0x03), "Drums");
  EXPECT_EQ(meta(*in, 0, 0x58), "\x03\x02\x18\x08");
  EXPECT_EQ(meta(*in, 0, 0x51), "\x07\xA1\x20");
}

TEST_F(Smf, OneTrackIsWrittenAsFormat0WithTheDefaultResolution) {
  const std::string name = path("one.mid");
  auto out = vx::SmfFile::openForWriting(name);
  ASSERT_TRUE(out);
  // data3 is not written; running status is used, and given up after a meta event.
  const Records records = {{0, 0x90, 0x3C, 0x64, 0x55},
                           {1, 0x90, 0x3E, 0x64, 0},
                           {2, 0, 0x07, 0xA1, 0x20},
                           {3, 0x90, 0x40, 0x64, 0},
                           {4, 0xC0, 0x05, 0x77, 0}};
  EXPECT_TRUE(out->writeMeta(0, 0x03, reinterpret_cast<const uint8_t *>("A"), 1));
  EXPECT_EQ(out->write(0, records.data(), records.size()), records.size());
  EXPECT_TRUE(out->finish());
  std::ifstream in(name, std::ios::binary);
  const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, smf(0, 96,
                         {Bytes{0x00, 0xFF, 0x03, 0x01, 'A',  0x00, 0x90, 0x3C, 0x64,
                                0x01, 0x3E, 0x64, 0x02, 0xFF, 0x51, 0x03, 0x07, 0xA1,
                                0x20, 0x03, 0x90, 0x40, 0x64, 0x04, 0xC0, 0x05} +
                          kEnd}));
}

TEST_F(Smf, WritingRefusesWhatNoFileCanHold) {
  auto out = vx::SmfFile::openForWriting(path("refuse.mid"));
  ASSERT_TRUE(out);
  const uint8_t text[] = {'x', 0};
  EXPECT_FALSE(out->writeMeta(0, 0x2F, text, 1)) << "End of Track is the writer's own";
  EXPECT_FALSE(out->writeMeta(0, 0x80, text, 1));
  EXPECT_FALSE(out->setResolution(0));
  const Records records = {
      {0, 0x90, 0x3C, 0x64, 0}, {0, 0x90, 0x3C, 0x80, 0}, {0, 0x90, 0x3D, 0x64, 0}};
  EXPECT_EQ(out->write(0, records.data(), 3), 1u) << "stops at a data byte above 127";
  const VxMidiEvent sysex = {0, 0xF0, 0, 0, 0};
  EXPECT_EQ(out->write(0, &sysex, 1), 0u);
  EXPECT_EQ(out->write(0x10000, records.data(), 1), 0u) << "more tracks than a header counts";
  VxMidiEvent ignored;
  EXPECT_EQ(out->read(0, &ignored, 1), 0u);
  EXPECT_TRUE(out->finish());
  EXPECT_EQ(out->write(0, records.data(), 1), 0u) << "nothing after the file is written";

  EXPECT_FALSE(vx::SmfFile::openForWriting(path("no/such/folder.mid")));
  auto in = open(smf(0, 96, {kEnd}));
  ASSERT_TRUE(in);
  EXPECT_EQ(in->write(0, records.data(), 1), 0u);
  EXPECT_FALSE(in->writeMeta(0, 0x03, text, 0));
  EXPECT_FALSE(in->setResolution(480));
}

}  // namespace
