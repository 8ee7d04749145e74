#include "engine/NetSearchEngine/hwr_lattice_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/NetSearchEngine/tests/hwr_test_support.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "engine/core/testing/hwr_stroke_file_writer.h"
#include "platform/file_access.h"

namespace {

using vok::HWRLatticeEngine;
using vok::InkPoint;
using vok_test::Candidates;
using vok_test::Line;
using Strokes = std::vector<std::vector<InkPoint>>;

constexpr uint16_t kA = 0xB0A1, kB = 0xB0A2, kC = 0xB0A3;

std::string TempPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "hwr_lattice_" + info->name() + "_" + name;
}

class HwrLatticeEngineTest : public ::testing::Test {
 protected:
  HwrLatticeEngineTest()
      : table_(1000, 50, 1),
        syllables_(vok_test::CodeSyllables({kA, kB, kC, '1' << 8, '7' << 8, 'l' << 8})),
        engine_(&table_, syllables_.get(), nullptr) {}

  vok_test::ScriptedChineseRecognizer* UseSc(std::vector<vok::HwrCandidate> list) {
    auto recognizer = std::make_unique<vok_test::ScriptedChineseRecognizer>(std::move(list));
    auto* raw = recognizer.get();
    engine_.record()->set_sc_recognizer(std::move(recognizer));
    engine_.record()->settings.range = vok::kHwrRangeSimplified;
    return raw;
  }

  // One request with the tracks stepped after every stroke.
  int Write(const Strokes& strokes) {
    engine_.StartUtterance();
    int result = 0;
    for (const auto& stroke : strokes) {
      EXPECT_EQ(engine_.TakeStroke(stroke.data(), static_cast<int>(stroke.size())), 0);
      if (engine_.TrackStep(static_cast<int>(stroke.size())) < 0) result = -1;
    }
    return result;
  }

  int Syllable(uint16_t code) const {
    const char text[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), '\0'};
    std::string name;
    vok::WordToCodePron(text, &name);
    return syllables_->Find(name.c_str());
  }

  const vok::HwrCell* Cell(int start, int end) const {
    for (const auto& cell : engine_.cells()) {
      if (cell.start == start && cell.end == end) return &cell;
    }
    return nullptr;
  }

  vok::BackTraceTable table_;
  std::unique_ptr<vok::SymbolTable> syllables_;
  HWRLatticeEngine engine_;
};

TEST_F(HwrLatticeEngineTest, GapLimitsOfTheTracks) {
  for (int t = 0; t < HWRLatticeEngine::kTracks; ++t) {
    EXPECT_EQ(engine_.TrackLimits(t).horizontal, 10 + 3 * t);
    EXPECT_EQ(engine_.TrackLimits(t).vertical, 80);
  }
  engine_.record()->settings.writing_direction = 0;
  EXPECT_EQ(engine_.TrackLimits(2).horizontal, 80);
  EXPECT_EQ(engine_.TrackLimits(2).vertical, 16);
}

TEST_F(HwrLatticeEngineTest, TwentyPixelGapJoinsOnTracksFourToSevenOnly) {
  Write({Line(0, 0, 0, 40), Line(20, 0, 20, 40)});
  for (int t = 0; t < HWRLatticeEngine::kTracks; ++t) {
    EXPECT_EQ(engine_.track(t).open_count(), t < 4 ? 2 : 1) << "track " << t;
  }
}

TEST_F(HwrLatticeEngineTest, FarApartStrokesAreSeparateCellsOnEveryTrack) {
  Write({Line(0, 0, 0, 40), Line(100, 0, 100, 40)});
  for (int t = 0; t < HWRLatticeEngine::kTracks; ++t) EXPECT_EQ(engine_.track(t).open_count(), 2);
  ASSERT_EQ(engine_.SegmentationStep(), 0);
  EXPECT_EQ(engine_.boundaries(), (std::vector<int32_t>{0, 10, 20}));
  EXPECT_EQ(engine_.cells().size(), 2u);
}

TEST_F(HwrLatticeEngineTest, EveryDistinctCellIsRecognizedOnce) {
  auto* sc = UseSc(Candidates({kA}));
  Write({Line(0, 0, 10, 40), Line(20, 0, 30, 40), Line(45, 0, 55, 40), Line(120, 0, 130, 40),
         Line(135, 0, 140, 40), Line(300, 0, 300, 40)});
  ASSERT_EQ(engine_.SegmentationStep(), 0);
  std::set<std::pair<int, int>> distinct;
  for (const auto& cell : engine_.cells()) distinct.insert({cell.start, cell.end});
  EXPECT_EQ(distinct.size(), engine_.cells().size());
  EXPECT_EQ(sc->calls, static_cast<int>(engine_.cells().size()));
  EXPECT_GT(engine_.cells().size(), 4u);
}

TEST_F(HwrLatticeEngineTest, CellsTheRecognizersRefuseHoldThePlaceholder) {
  UseSc(Candidates({kA}));
  struct Case {
    const char* what;
    Strokes strokes;
    int start, end;
    bool penalty;
  };
  Strokes hundred(100, Line(0, 0, 20, 20, 2));
  Strokes hundred_and_one(101, Line(0, 0, 20, 20, 2));
  const Case cases[] = {
      {"more than 1000 points", {Line(0, 0, 40, 40, 1001)}, 0, 1001, true},
      {"fewer than 4 points", {Line(0, 0, 40, 40, 10), Line(200, 0, 210, 10, 3)}, 10, 13, true},
      {"100 strokes", hundred, 0, 200, false},
      {"101 strokes", hundred_and_one, 0, 202, true},
  };
  for (const Case& c : cases) {
    Write(c.strokes);
    ASSERT_EQ(engine_.SegmentationStep(), 0) << c.what;
    const vok::HwrCell* cell = Cell(c.start, c.end);
    ASSERT_NE(cell, nullptr) << c.what;
    EXPECT_EQ(cell->candidate_count, 1) << c.what;
    EXPECT_EQ(cell->codes[0], HWRLatticeEngine::kPlaceholderCode) << c.what;
    EXPECT_EQ(cell->scores[0], HWRLatticeEngine::kPlaceholderScore) << c.what;
    EXPECT_EQ(cell->penalty, c.penalty) << c.what;
  }
}

TEST_F(HwrLatticeEngineTest, ThreeStrokesMoreThanTheDictionaryPenaliseTheCell) {
  for (const int difference : {-2, -3}) {
    UseSc(Candidates({kA, kB}, 200, difference));
    Write({Line(0, 0, 40, 40)});
    ASSERT_EQ(engine_.SegmentationStep(), 0);
    const vok::HwrCell& cell = engine_.cells().at(0);
    EXPECT_EQ(cell.penalty, difference == -3);
    EXPECT_EQ(cell.scores[0], difference == -3 ? 2000 : 200);
    EXPECT_EQ(cell.scores[1], difference == -3 ? 2180 : 218);
  }
}

TEST_F(HwrLatticeEngineTest, AtMostTwentyCandidatesPerCell) {
  std::vector<uint16_t> codes;
  for (int i = 0; i < 30; ++i) codes.push_back(static_cast<uint16_t>(kA + i));
  UseSc(Candidates(codes));
  Write({Line(0, 0, 40, 40)});
  ASSERT_EQ(engine_.SegmentationStep(), 0);
  EXPECT_EQ(engine_.cells().at(0).candidate_count, 20);
  EXPECT_EQ(engine_.cells().at(0).codes[19], kA + 19);
}

TEST_F(HwrLatticeEngineTest, LatinResultsAsTheRangeAdmitsThem) {
  engine_.record()->set_rom_recognizer(
      std::make_unique<vok_test::ScriptedLatinRecognizer>(Candidates({'l', 'I', 'x', '7', 'Q'})));
  struct Case {
    int32_t range;
    int32_t script;
    std::vector<uint16_t> codes;
  };
  const Case cases[] = {
      {vok::kHwrRangeLatin | vok::kHwrRangeDigits, 1, {'1' << 8, '7' << 8}},
      {vok::kHwrRangeLatin | vok::kHwrRangeLowerCase, 1, {'l' << 8, 'x' << 8}},
      {vok::kHwrRangeLatin | vok::kHwrRangeUpperCase | vok::kHwrRangeDigits,
       1,
       {'I' << 8, '7' << 8, 'Q' << 8}},
      {vok::kHwrRangeLatin | vok::kHwrRangeUpperCase | vok::kHwrRangeDigits | vok::kHwrRangeFullWidth,
       1,
       {0xA3C9, 0xA3B7, 0xA3D1}},
      {vok::kHwrRangeLatin | vok::kHwrRangeLowerCase | vok::kHwrRangeDigits | vok::kHwrRangeFullWidth,
       2,
       {0xA2F4, 0xA341, 0xA2B6}},
  };
  for (const Case& c : cases) {
    engine_.record()->settings.range = c.range;
    engine_.record()->set_result_script(c.script);
    Write({Line(0, 0, 0, 40)});
    ASSERT_EQ(engine_.SegmentationStep(), 0);
    const vok::HwrCell& cell = engine_.cells().at(0);
    EXPECT_EQ(std::vector<uint16_t>(cell.codes, cell.codes + cell.candidate_count), c.codes)
        << "range " << c.range << " script " << c.script;
  }
}

TEST_F(HwrLatticeEngineTest, LatinRecognizerReadsCellsOfFewerThanFiveStrokes) {
  engine_.record()->set_rom_recognizer(
      std::make_unique<vok_test::ScriptedLatinRecognizer>(Candidates({'7'})));
  engine_.record()->settings.range = vok::kHwrRangeLatin | vok::kHwrRangeDigits;
  for (const int strokes : {4, 5}) {
    Write(Strokes(static_cast<std::size_t>(strokes), Line(0, 0, 40, 40)));
    ASSERT_EQ(engine_.SegmentationStep(), 0);
    EXPECT_EQ(engine_.cells().at(0).codes[0], strokes < 5 ? '7' << 8 : HWRLatticeEngine::kPlaceholderCode);
  }
}

TEST_F(HwrLatticeEngineTest, NeighboursMergeWhenCloseAndNotTooElongated) {
  UseSc(Candidates({kA}));
  struct Case {
    const char* what;
    Strokes strokes;
    bool merged;
  };
  const Case cases[] = {
      // 20 x 60 boxes 35 apart: the pair is 75 x 60, ratio 12 below 2 x 30.
      {"tall pair", {Line(0, 0, 20, 60), Line(55, 0, 75, 60)}, true},
      // 50 x 50 boxes 40 apart: the pair is 140 x 50, ratio 28, not below 20.
      {"wide pair", {Line(0, 0, 50, 50), Line(90, 0, 140, 50)}, false},
      // 20 x 60 boxes 70 apart: farther than the longest side.
      {"far pair", {Line(0, 0, 20, 60), Line(90, 0, 110, 60)}, false},
  };
  for (const Case& c : cases) {
    Write(c.strokes);
    ASSERT_EQ(engine_.SegmentationStep(), 0) << c.what;
    EXPECT_EQ(Cell(0, 20) != nullptr, c.merged) << c.what;
    EXPECT_EQ(engine_.cells().size(), c.merged ? 3u : 2u) << c.what;
  }
}

TEST_F(HwrLatticeEngineTest, LatticeOfSyllablesTwoFramesPerBoundary) {
  UseSc(Candidates({kA, kB, 0xB0B0}));  // the last has no syllable
  Write({Line(0, 0, 30, 40), Line(100, 0, 130, 40)});
  ASSERT_EQ(engine_.FinishUtterance(), 0);
  EXPECT_EQ(table_.frames_completed(), 5);
  struct Expected {
    int frame;
    int label;
    int score;
    int back;
  };
  // Scores 180 and 198: -10 and -11 from the start's best.
  const Expected expected[] = {{2, Syllable(kA), -10, 0},
                               {2, Syllable(kB), -11, 0},
                               {4, Syllable(kA), -20, 2},
                               {4, Syllable(kB), -21, 2}};
  ASSERT_EQ(table_.record_count(), 4);
  for (int id = 0; id < 4; ++id) {
    const vok::BackTraceRecord* record = table_.GetRecord(id);
    EXPECT_EQ(record->frame, expected[id].frame);
    EXPECT_EQ(record->label, expected[id].label);
    EXPECT_EQ(record->score, expected[id].score);
    EXPECT_EQ(record->back, expected[id].back);
  }
  EXPECT_EQ(table_.GetRecord(table_.final_record())->frame, 4);
}

TEST_F(HwrLatticeEngineTest, HugeScoresAreHeldAboveTheEmptyScore) {
  UseSc(Candidates({kA}, 0x7FFFFF00, -3));
  Write({Line(0, 0, 30, 40), Line(100, 0, 130, 40)});
  ASSERT_EQ(engine_.FinishUtterance(), 0);
  ASSERT_EQ(table_.record_count(), 2);
  EXPECT_EQ(engine_.cells().at(0).scores[0], 0x7FFFFFFF);
  EXPECT_EQ(table_.GetRecord(0)->score, vok::kEmptyScore + 1);
  EXPECT_EQ(table_.GetRecord(1)->score, vok::kEmptyScore + 1);
  EXPECT_GE(table_.final_record(), 0);
}

TEST_F(HwrLatticeEngineTest, BoundariesBeyondTheLastFrameAreRefused) {
  // Short dashes on a grid, far apart on every track: one cell each.
  const auto grid = [](int cells) {
    Strokes strokes;
    for (int i = 0; i < cells; ++i) {
      const int x = (i % 100) * 150, y = (i / 100) * 150;
      strokes.push_back(Line(x, y, x + 10, y + 10, 2));
    }
    return strokes;
  };
  Write(grid(999));
  EXPECT_EQ(engine_.FinishUtterance(), 0);
  EXPECT_EQ(table_.frames_completed(), 1999);
  Write(grid(1000));
  EXPECT_EQ(engine_.FinishUtterance(), -1);
  EXPECT_EQ(table_.record_count(), 0);
}

TEST_F(HwrLatticeEngineTest, TooLittleInkGivesNoLattice) {
  struct Case {
    const char* what;
    Strokes strokes;
    int result;
  };
  const Case cases[] = {
      {"eight points", {Line(0, 0, 40, 40, 8)}, -1},
      {"nine points", {Line(0, 0, 40, 40, 9)}, 0},
      {"diagonal 12", {Line(0, 0, 12, 0)}, -1},
      {"diagonal 13", {Line(0, 0, 12, 5)}, 0},
      // Far from the origin and below zero the box is that of the points.
      {"small, far out", {Line(6000, 6000, 6008, 6008)}, -1},
      {"large, negative", {Line(-300, -300, -280, -280)}, 0},
  };
  for (const Case& c : cases) {
    Write(c.strokes);
    EXPECT_EQ(engine_.SegmentationStep(), c.result) << c.what;
  }
}

TEST_F(HwrLatticeEngineTest, SingleCellTakesTheWholeRequest) {
  UseSc(Candidates({kA, kB, kC}));
  engine_.StartUtterance();
  for (const auto& stroke : {Line(0, 0, 0, 40), Line(300, 0, 300, 40)}) {
    engine_.TakeStroke(stroke.data(), static_cast<int>(stroke.size()));
    EXPECT_EQ(engine_.SingleCellStep(static_cast<int>(stroke.size())), 0);
  }
  EXPECT_EQ(engine_.track(0).open_count(), 1);
  uint16_t codes[2];
  int32_t scores[2];
  ASSERT_EQ(engine_.RecognizeSingleCell(codes, scores, 2), 2);
  EXPECT_EQ(codes[0], kA);
  EXPECT_EQ(codes[1], kB);
  EXPECT_EQ(scores[1], 198);
}

TEST_F(HwrLatticeEngineTest, TracksCatchUpOnStrokesOfTheSingleCellStep) {
  engine_.StartUtterance();
  const Strokes strokes = {Line(0, 0, 30, 40), Line(200, 0, 230, 40), Line(400, 0, 430, 40)};
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    engine_.TakeStroke(strokes[i].data(), static_cast<int>(strokes[i].size()));
    const int length = static_cast<int>(strokes[i].size());
    EXPECT_EQ(i < 2 ? engine_.SingleCellStep(length) : engine_.TrackStep(length), 0);
  }
  ASSERT_EQ(engine_.SegmentationStep(), 0);
  const vok::HwrInk& ink = engine_.record()->ink;
  for (const vok::HwrCell& cell : engine_.cells()) {
    vok::HwrBox box = ink.StrokeBox(cell.first_stroke);
    for (int s = 1; s < cell.strokes; ++s) box.Widen(ink.StrokeBox(cell.first_stroke + s));
    EXPECT_EQ(cell.start, ink.stroke_start(cell.first_stroke));
    EXPECT_EQ(box.left, cell.box.left) << cell.start << "-" << cell.end;
    EXPECT_EQ(box.right, cell.box.right) << cell.start << "-" << cell.end;
  }
}

TEST_F(HwrLatticeEngineTest, StepsRefuseAStrokeLengthThatIsNotTheNewest) {
  engine_.StartUtterance();
  const auto stroke = Line(0, 0, 0, 40);
  EXPECT_EQ(engine_.TrackStep(10), -1);  // nothing taken
  engine_.TakeStroke(stroke.data(), 10);
  EXPECT_EQ(engine_.TrackStep(9), -1);
  EXPECT_EQ(engine_.TakeStroke(stroke.data(), 0), -1);
}

class HwrTemplateTestsTest : public HwrLatticeEngineTest {
 protected:
  static vok::GestureTemplate Template(const char* name, const Strokes& strokes) {
    std::vector<InkPoint> points;
    std::vector<int> counts;
    for (const auto& s : strokes) {
      points.insert(points.end(), s.begin(), s.end());
      counts.push_back(static_cast<int>(s.size()));
    }
    vok::GestureTemplate t;
    EXPECT_TRUE(vok::CHWRGestureRecognizer::MakeTemplate(name, static_cast<int>(strokes.size()),
                                                         counts.data(), points.data(), &t));
    return t;
  }

  std::unique_ptr<vok::CHWRGestureModel> Model(const std::string& name,
                                               const std::vector<vok::GestureTemplate>& templates) {
    const std::string path = TempPath(name);
    EXPECT_TRUE(platform::WriteWholeFile(path, vok_testing::WriteGestureTemplates(templates).bytes));
    auto model = std::make_unique<vok::CHWRGestureModel>();
    EXPECT_TRUE(model->Load(path.c_str()));
    std::remove(path.c_str());
    return model;
  }

  const std::vector<InkPoint> stroke_ = Line(80, 20, 0, 20);
  const std::vector<InkPoint> bent_ = Line(80, 20, 40, 26);
};

TEST_F(HwrTemplateTestsTest, GestureUnlessTheAntiGestureMatchesBetter) {
  struct Case {
    const char* what;
    std::vector<vok::GestureTemplate> gestures;
    std::vector<vok::GestureTemplate> anti;
    int32_t range;
    Strokes input;
    int found;
  };
  const auto exact = Template("Backspace", {stroke_});
  auto bent_stroke = bent_;
  const auto more = Line(40, 26, 0, 20);
  bent_stroke.insert(bent_stroke.end(), more.begin(), more.end());
  const auto bent = Template("Backspace", {bent_stroke});
  const auto character = Template("one", {stroke_});
  const Case cases[] = {
      {"no anti-gesture", {exact}, {}, vok::kHwrRangeGesture, {stroke_}, 1},
      {"equal scores report the gesture", {exact}, {character}, vok::kHwrRangeGesture, {stroke_}, 1},
      {"the anti-gesture is closer", {bent}, {character}, vok::kHwrRangeGesture, {stroke_}, 0},
      {"range without the gesture test", {exact}, {}, vok::kHwrRangeSimplified, {stroke_}, 0},
      {"two cells", {exact}, {}, vok::kHwrRangeGesture, {stroke_, Line(300, 20, 220, 20)}, 0},
      {"four strokes", {exact}, {}, vok::kHwrRangeGesture, Strokes(4, stroke_), 0},
  };
  for (const Case& c : cases) {
    engine_.record()->set_gesture_models(Model("gestures", c.gestures), Model("anti", c.anti));
    engine_.record()->settings.range = c.range;
    Write(c.input);
    std::string name;
    int64_t score = -1;
    EXPECT_EQ(engine_.RecognizeGesture(&name, &score), c.found) << c.what;
    if (c.found) {
      EXPECT_EQ(name, "Backspace") << c.what;
    }
  }
}

TEST_F(HwrTemplateTestsTest, PunctuationNeedsItsFlagAndModel) {
  Write({stroke_});
  engine_.record()->settings.range = vok::kHwrRangePunctuation;
  std::string name;
  EXPECT_EQ(engine_.RecognizePunctuation(&name, nullptr), 0);  // no model
  engine_.record()->set_punctuation_model(Model("punctuation", {Template("-", {stroke_})}));
  EXPECT_EQ(engine_.RecognizePunctuation(&name, nullptr), 1);
  EXPECT_EQ(name, "-");
  engine_.record()->settings.range = vok::kHwrRangeGesture;
  EXPECT_EQ(engine_.RecognizePunctuation(&name, nullptr), 0);
}

TEST_F(HwrLatticeEngineTest, StrokeFileRunsAsOneRequest) {
  UseSc(Candidates({kA}));
  const std::string path = TempPath("strokes.txt");
  const Strokes strokes = {Line(0, 0, 30, 40), Line(100, 0, 130, 40)};
  const std::string text = vok_testing::WriteHwrStrokeFile(strokes);
  ASSERT_TRUE(platform::WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end())));
  EXPECT_EQ(engine_.ProcessStrokeFile(path.c_str()), 1);
  EXPECT_EQ(engine_.record()->ink.stroke_count(), 2);
  EXPECT_EQ(table_.record_count(), 2);

  // Cut inside the second stroke: refused, and no stroke of it is taken.
  const std::string cut = text.substr(0, text.size() - 14);
  ASSERT_TRUE(platform::WriteWholeFile(path, std::vector<uint8_t>(cut.begin(), cut.end())));
  EXPECT_EQ(engine_.ProcessStrokeFile(path.c_str()), -1);
  EXPECT_EQ(engine_.record()->ink.stroke_count(), 2);  // still the last request's
  std::remove(path.c_str());
  EXPECT_EQ(engine_.ProcessStrokeFile(path.c_str()), 0);
}

TEST_F(HwrLatticeEngineTest, HeaderNamesSyllablesAndSyllableLength) {
  std::FILE* log = std::tmpfile();
  vok::SetLogStream(log);
  engine_.PrintHeader();
  vok::SetLogStream(nullptr);
  std::rewind(log);
  char buffer[512] = {};
  const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, log);
  std::fclose(log);
  const std::string text(buffer, n);
  EXPECT_NE(text.find("\nHWRLatticeEngine Header\n"), std::string::npos);
  EXPECT_NE(text.find("# Syllables:    6\n"), std::string::npos);
  EXPECT_NE(text.find("Syllable length    2\n"), std::string::npos);
  EXPECT_NE(text.find("Memory usage:"), std::string::npos);
}

}  // namespace
