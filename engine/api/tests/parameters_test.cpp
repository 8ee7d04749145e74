#include "engine/api/parameters.h"

#include <gtest/gtest.h>

#include "engine/api/shared_section.h"

namespace vok::api {
namespace {

struct FixedBeams : DictationBeams {
  void SetBeams(std::uint32_t phone, std::uint32_t, std::uint32_t) override { phone_beam = phone; }
  std::uint32_t PhoneBeam() const override { return phone_beam; }
  std::uint32_t phone_beam = 320;
};

RecognizerPresence All() { return {true, true, true, true, true}; }

TEST(PenRangeMaskTest, EachBitOfTheRange) {
  const struct {
    std::uint32_t range, mask;
  } cases[] = {{0, 0},     {1, 0x24},  {2, 0x1},     {4, 0x2},     {8, 0x8}, {16, 0x14},
               {32, 0x44}, {64, 0x84}, {128, 0x100}, {0x21, 0x64}, {6, 0x3}, {0xFF, 0x1FF}};
  for (const auto& c : cases) EXPECT_EQ(PenRangeMask(c.range), c.mask) << c.range;
}

TEST(ParametersTest, DefaultsAfterStartUp) {
  EngineParameters parameters;
  parameters.Set(0x2003, 0x21, All(), nullptr);
  parameters.Set(0x3001, 0, All(), nullptr);
  parameters.WriteDefaults();
  const struct {
    std::uint32_t id, value;
  } defaults[] = {{0x1000, 0}, {0x1001, 0}, {0x2000, 0}, {0x2001, 1}, {0x2002, 1},
                  {0x2003, 6}, {0x3000, 0}, {0x3001, 1}, {0x3002, 0}, {0x3003, 1}};
  for (const auto& d : defaults) {
    std::uint32_t value = 99;
    EXPECT_EQ(parameters.Get(d.id, &value, All(), nullptr), kVokOk) << std::hex << d.id;
    EXPECT_EQ(value, d.value) << std::hex << d.id;
  }
}

TEST(ParametersTest, StatusTable) {
  EngineParameters parameters;
  FixedBeams beams;
  const RecognizerPresence stopped{};
  const RecognizerPresence bare{true, false, false, false, false};
  const struct {
    const char* what;
    bool write;
    std::uint32_t id, value;
    RecognizerPresence presence;
    VokStatus status;
  } cases[] = {
      {"0x1003 written before start-up", true, 0x1003, 5, stopped, kVokOk},
      {"0x2000 read before start-up", false, 0x2000, 0, stopped, kVokNotStarted},
      {"pen written without a pen recognizer", true, 0x2003, 0x21, bare, kVokOk},
      {"pen read without a pen recognizer", false, 0x2003, 0, bare, kVokNoPenOrKeyboardRecognizer},
      {"keyboard read without a keyboard recognizer", false, 0x3001, 0, bare, kVokNoPenOrKeyboardRecognizer},
      {"speech written without a speech recognizer", true, 0x1000, 1, bare, kVokNoSpeechRecognizer},
      {"speech read without a speech recognizer", false, 0x1000, 0, bare, kVokNoSpeechRecognizer},
      {"level 11", true, 0x1002, 11, All(), kVokBadArgument},
      {"level 10", true, 0x1002, 10, All(), kVokOk},
      {"unknown group", true, 0x4000, 0, All(), kVokBadArgument},
      {"unknown pen id", true, 0x2004, 0, All(), kVokBadArgument},
      {"unknown keyboard id", false, 0x3004, 0, All(), kVokBadArgument},
      {"pen switch 2", true, 0x2000, 2, All(), kVokBadArgument},
  };
  for (const auto& c : cases) {
    std::uint32_t value = c.value;
    const VokStatus status = c.write ? parameters.Set(c.id, c.value, c.presence, &beams)
                                     : parameters.Get(c.id, &value, c.presence, &beams);
    EXPECT_EQ(status, c.status) << c.what;
  }
}

TEST(ParametersTest, SpeedLevelDrivesTheBeamsAndAWrongLevelChangesNothing) {
  EngineParameters parameters;
  FixedBeams beams;
  EXPECT_EQ(parameters.Set(0x1002, 4, All(), &beams), kVokOk);
  EXPECT_EQ(beams.phone_beam, 340u);
  EXPECT_EQ(parameters.Set(0x1002, 11, All(), &beams), kVokBadArgument);
  EXPECT_EQ(beams.phone_beam, 340u);
  std::uint32_t level = 0;
  EXPECT_EQ(parameters.Get(0x1002, &level, All(), &beams), kVokOk);
  EXPECT_EQ(level, 4u);
  beams.phone_beam = 900;
  EXPECT_EQ(parameters.Get(0x1002, &level, All(), &beams), kVokOk);
  EXPECT_EQ(level, 10u);
  RecognizerPresence no_dictation = All();
  no_dictation.dictation = false;
  EXPECT_EQ(parameters.Get(0x1002, &level, no_dictation, &beams), kVokOk);
  EXPECT_EQ(level, 0xFFFFFFFFu);
}

TEST(ParametersTest, SwitchesReadBackAsOneAndTheSharedValue) {
  EngineParameters parameters;
  EXPECT_EQ(parameters.Set(0x3002, 7, All(), nullptr), kVokOk);
  EXPECT_EQ(parameters.Set(0x1000, 9, All(), nullptr), kVokOk);
  std::uint32_t value = 0;
  parameters.Get(0x3002, &value, All(), nullptr);
  EXPECT_EQ(value, 1u);
  parameters.Get(0x1000, &value, All(), nullptr);
  EXPECT_EQ(value, 1u);
  parameters.Get(0x1003, &value, All(), nullptr);
  EXPECT_EQ(value, SharedSection().parameter_1003.load());
  EXPECT_EQ(SharedSection().parameter_1003.load(), 0x1003u);
  EXPECT_EQ(parameters.Get(0x2000, nullptr, All(), nullptr), kVokBadArgument);
}

}  // namespace
}  // namespace vok::api
