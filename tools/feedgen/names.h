// Japanese names for the synthetic feed, as CP932 bytes: horses (katakana, at most 9 characters),
// people (kanji family and given names), breeders, owners and race names. Tables are converted
// from UTF-8 once, at first use.
#pragma once

#include <string>

#include "rng.h"

namespace zelkova::feedgen {

struct PersonName {
  std::string full;   // family + ideographic space + given name
  std::string shortName;  // at most 4 characters, as in the 8-byte short-name fields
  std::string kana;   // half-width katakana reading
};

std::string HorseName(Rng& rng);          // full-width katakana, 2..9 characters
PersonName PersonNameOf(Rng& rng);
std::string BreederName(Rng& rng);
std::string OwnerName(Rng& rng);
// A special race's name: base name plus its suffix (特別, ステークス, 賞, カップ ...).
std::string RaceName(Rng& rng, bool graded);
// The first `chars` characters of a full-width text.
std::string FirstChars(const std::string& cp932, int chars);

}  // namespace zelkova::feedgen
