#include "tools/build_letter_templates/letter_ink.h"

namespace letter_templates {

build_dictionaries::InkStyle TemplateInkStyle() {
  build_dictionaries::InkStyle style;
  style.size_low = 40;
  style.size_high = 220;
  style.point_jitter = 0.008;
  style.shear = 0.22;
  style.aspect = 0.12;
  style.rotation = 0.03;
  style.wobble = 0.008;
  style.spacing_low = 2;
  style.spacing_high = 8;
  style.connect = 0;
  return style;
}

build_dictionaries::InkStyle HeldOutInkStyle() {
  build_dictionaries::InkStyle style;
  style.size_low = 30;
  style.size_high = 260;
  style.point_jitter = 0.014;
  style.shear = 0.3;
  style.aspect = 0.18;
  style.rotation = 0.08;
  style.wobble = 0.015;
  style.spacing_low = 2;
  style.spacing_high = 10;
  style.connect = 0.1;
  return style;
}

std::vector<wrendle::StrokeEntry> GlyphInk(const GlyphStrokes& glyph,
                                           const build_dictionaries::InkStyle& style, std::uint64_t seed) {
  // Font units already suit the synthesis: about 1000 to the em, y upwards.
  return build_dictionaries::SynthesizeInk(glyph, style, seed);
}

}  // namespace letter_templates
