// Every sample file, and damaged copies of one, through the C entry points of the MIDI-file
// reader, with AddressSanitizer and UndefinedBehaviorSanitizer stopping at any finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "VxMidi.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = KOVRINTA_MIDI_SAMPLES;

std::vector<fs::path> filesUnder(const fs::path &folder) {
  std::vector<fs::path> files;
  for (const auto &entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Opens, reads every track in rooms of 8192, asks for the name and tempo metas and closes;
// answers whether the file opened. The meta bytes are summed so that the sanitizer sees every
// one of them touched.
bool exercise(const std::string &name) {
  uint32_t tracks = 0;
  const uint32_t handle = OpenSMF(name.c_str(), nullptr, 'r', &tracks);
  if (handle == VX_SMF_FAILED) return false;
  static std::vector<VxMidiEvent> room(8192);
  for (int pass = 0; pass < 2; ++pass) {
    for (uint32_t track = 0; track < tracks; ++track) {
      uint64_t records = 0;
      while (uint32_t n = ReadSMF(handle, track, room.data(), 8192)) records += n;
      for (uint8_t type : {uint8_t{0x03}, uint8_t{0x51}}) {
        const uint8_t *data = nullptr;
        uint32_t length = 0;
        if (ReadMetaEvent(handle, track, type, &data, &length) == 0) {
          unsigned sum = 0;
          for (uint32_t i = 0; i < length; ++i) sum += data[i];
          EXPECT_GE(sum + length, length);  // keeps the loop from being optimised away
        }
      }
      EXPECT_EQ(ReadSMF(handle, track, room.data(), 8192), 0u) << name << " track " << track;
      EXPECT_LT(records, uint64_t{1} << 26) << name;
    }
    EXPECT_EQ(RewindSMF(handle), 0u);
  }
  GetSMFResolution(handle);
  CloseSMF(handle);
  return true;
}

class SmfSanitized : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("kovrinta-smfsan-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SmfSanitized, EverySampleFileIsReadOrRefusedCleanly) {
  const std::vector<fs::path> files = filesUnder(kSamples);
  ASSERT_FALSE(files.empty()) << kSamples;
  size_t opened = 0;
  for (const fs::path &file : files) opened += exercise(file.string());
  std::cout << files.size() << " sample files: " << opened << " read, " << files.size() - opened
            << " refused\n";
}

TEST_F(SmfSanitized, EveryFeatureAndSongFileOpens) {
  std::string refused;
  for (const char *folder : {"features", "songs"})
    for (const fs::path &file : filesUnder(kSamples / folder)) {
      uint32_t tracks = 0;
      const uint32_t handle = OpenSMF(file.c_str(), nullptr, 'r', &tracks);
      if (handle == VX_SMF_FAILED)
        refused += file.string() + "\n";
      else
        CloseSMF(handle);
    }
  EXPECT_EQ(refused, "") << "refused:\n" << refused;
}

// Every shortened copy and every copy with one byte replaced by a status-like value: the
// bounds of every read are then met at each place in the file.
TEST_F(SmfSanitized, CutAndCorruptedCopiesAreReadOrRefusedCleanly) {
  const fs::path source = kSamples / "features" / "jz_running-status-sysex.mid";
  std::ifstream in(source, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 100u) << source;
  const std::string copy = (dir_ / "copy.mid").string();
  auto exerciseCopy = [&](const std::vector<char> &content, size_t length) {
    std::ofstream(copy, std::ios::binary | std::ios::trunc).write(content.data(), length);
    return exercise(copy);
  };
  size_t opened = 0;
  for (size_t length = 0; length <= bytes.size(); ++length) opened += exerciseCopy(bytes, length);
  EXPECT_TRUE(exerciseCopy(bytes, bytes.size()));
  for (size_t at = 0; at < bytes.size(); ++at)
    for (char value : {'\xFF', '\x80', '\x00'}) {
      std::vector<char> damaged = bytes;
      damaged[at] = value;
      opened += exerciseCopy(damaged, damaged.size());
    }
  EXPECT_GT(opened, 0u);
}

TEST_F(SmfSanitized, AFileWithAnAccentedNameIsWrittenAndReadBack) {
  const std::string name = (dir_ / "Canção para bateria – ñandú.mid").string();
  uint32_t tracks = 99;
  const uint32_t out = OpenSMF(name.c_str(), nullptr, 'w', &tracks);
  ASSERT_NE(out, VX_SMF_FAILED);
  EXPECT_EQ(tracks, 0u);
  EXPECT_EQ(SetSMFResolution(out, 192), VX_OK);
  EXPECT_EQ(WriteMetaEvent(out, 0, 0x03, reinterpret_cast<const uint8_t *>("Bateria ção"), 0), 0);
  EXPECT_EQ(WriteMetaEvent(out, 0, 0x2F, reinterpret_cast<const uint8_t *>(""), 1), -1);
  const VxMidiEvent events[] = {
      {0, 0, 0x07, 0xA1, 0x20}, {0, 0x99, 36, 100, 0}, {96, 0x89, 36, 64, 0}};
  EXPECT_EQ(WriteSMF(out, 0, events, 3), 3u);
  CloseSMF(out);

  const uint32_t in = OpenSMF(name.c_str(), nullptr, 'r', &tracks);
  ASSERT_NE(in, VX_SMF_FAILED);
  EXPECT_EQ(tracks, 1u);
  EXPECT_EQ(GetSMFResolution(in), 192);
  VxMidiEvent read[4] = {};
  ASSERT_EQ(ReadSMF(in, 0, read, 4), 3u);
  EXPECT_EQ(read[1].status, 0x99);
  EXPECT_EQ(read[2].time, 96u);
  EXPECT_EQ(read[0].data2, 0xA1);
  const uint8_t *data = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(ReadMetaEvent(in, 0, 0x03, &data, &length), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(data), length), "Bateria ção");
  EXPECT_EQ(ReadMetaEvent(in, 0, 0x01, &data, &length), VX_META_ABSENT);
  EXPECT_EQ(SetSMFResolution(in, 96), VX_REFUSED) << "a file read is not rewritten";
  CloseSMF(in);
  EXPECT_EQ(ReadSMF(in, 0, read, 4), 0u) << "a closed handle";
}

}  // namespace
