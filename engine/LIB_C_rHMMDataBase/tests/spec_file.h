// Front ends configured from a specification text written to a file.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/tests/unique_path.h"

namespace spec_file {

struct Line {
  std::string section, key, value;
};

// The built-in set-up written as a specification file, with the given lines
// replacing (or, with an empty value, removing) the built-in ones.
inline std::string Text(const std::vector<Line>& changes) {
  std::vector<Line> lines = {
      {"FrontEnd", "SamplingRate", "11025"},
      {"FrontEnd", "NumSamplesFrameAdvance", "110"},
      {"FrontEnd", "NumSamplesPerFrame", "165"},
      {"FrontEnd", "MaxNumFrame", "1500"},
      {"FrontEnd", "NumStreams", "2"},
      {"FrontEnd", "Stream-0",
       "1,13,2,3,0,14,4,26,5,15,16,27,17,18,6,28,29,30,7,31,19,20,8,9,32,33,21,34,35,22,10,11,23,12,36,24,37,"
       "25,38"},
      {"FrontEnd", "Stream-1", "39,40,41,42,43,44,45,46,47,48,49"},
      {"FrontEnd", "BasicFeature", "Cepstrum[13],Pitch[11]"},
      {"FrontEnd", "DeriveFeature", "Cepstrum::DeltaCepstrum[13],  Cepstrum::DeltaDeltaCepstrum[13]"},
      {"FrontEnd", "SingleOpVector",
       "Cepstrum[13], Cepstrum::DeltaCepstrum[13], Cepstrum::DeltaDeltaCepstrum[13], Pitch[11]"},
      {"FrontEnd", "SingleOpVectorDim", "50"},
      {"FrontEnd", "DcOffsetConstant", "0.9999"},
      {"FrontEnd", "Preemphasis", "0.97"},
      {"FrontEnd", "Window", "Hamming"},
      {"MelFilter", "FftSize", "256"},
      {"MelFilter", "NumMelFilters", "40"},
      {"MelFilter", "MelFiltersNumLog", "27"},
      {"MelFilter", "MelFiltersNumLinear", "13"},
      {"MelFilter", "MelFiltersUpper", "5512.5"},
      {"MelFilter", "MelFiltersLower", "133.333000"},
      {"MelFilter", "MelFiltersLogSpacing", "1.0625"},
      {"MelFilter", "MelFiltersLinSpacing", "66.666664"},
      {"MelFilter", "NoiseSpectrumFilter", "0"},
  };
  for (const Line& change : changes) {
    bool replaced = false;
    for (Line& line : lines) {
      if (line.section == change.section && line.key == change.key) {
        line.value = change.value;
        replaced = true;
      }
    }
    if (!replaced) lines.push_back(change);
  }
  std::string text;
  for (const char* section : {"FrontEnd", "MelFilter"}) {
    text += std::string("[") + section + "]\n";
    for (const Line& line : lines)
      if (line.section == section && !line.value.empty()) text += line.key + " = " + line.value + "\n";
  }
  return text;
}

// Configures from a specification text; the front end's output goes to
// *output. Returns readResourceFile's result.
inline int ConfigureText(C_rFrontEnd& frontEnd, const std::string& text, std::string* output = nullptr,
                         int inputs = 1) {
  const std::string path = unique_path::Make("spec") + ".ini";
  {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  testing::internal::CaptureStdout();
  const int status = frontEnd.readResourceFile(path.c_str(), inputs);
  const std::string printed = testing::internal::GetCapturedStdout();
  if (output != nullptr) *output = printed;
  std::remove(path.c_str());
  return status;
}

// Configures from the built-in set-up with the changes.
inline int Configure(C_rFrontEnd& frontEnd, const std::vector<Line>& changes, std::string* output = nullptr,
                     int inputs = 1) {
  return ConfigureText(frontEnd, Text(changes), output, inputs);
}

}  // namespace spec_file
