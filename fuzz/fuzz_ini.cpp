// Arbitrary bytes as the settings file. Every read returns (the default where nothing sound is
// stored); writing a key stores a value that reads back as written and keeps the value every
// other key read before the write.
// Input: FILE [sep SECTION [sep KEY]] (sep: see fuzz_support.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_gt.h"
#include "base/file_io.h"
#include "fuzz_support.h"
#include "records/record.h"

using namespace zelkova;

namespace {

// Sections and keys a user's file is likely to hold, plus the ones the input names.
std::vector<std::pair<std::string, std::string>> Probes(std::string_view section, std::string_view key) {
  std::vector<std::pair<std::string, std::string>> p = {
      {"JvDataGet", "LastTime"}, {"JVLink", "FeedFolder"}, {"Time", "Odds"}, {"Form", "Left"}, {"a", "b"}, {"", ""}};
  p.emplace_back(std::string(section), std::string(key));
  return p;
}

// A value any writer may store: no line break, no leading/trailing quote pair, no blanks at
// the ends (a line's value is taken trimmed).
std::string PlainValue(std::string_view seed) {
  std::string v = "v";
  for (char c : seed.substr(0, 32))
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) v += c;
  return v;
}

// A section or key name as the settings file matches it: ASCII blanks trimmed at both ends,
// single-byte ASCII letters folded to lower case, the two bytes of a CP932 double-byte
// character kept as they are (its trail byte may look like a letter).
std::string MatchName(std::string_view name) {
  const std::string_view t = TrimBlanks(name);
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 < t.size()) {
      out += t[i];
      out += t[++i];
    } else {
      out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : t[i];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 100000) return 0;
  auto parts = fuzz::SplitParts(data, size, 3);
  const auto& root = fuzz::ScratchRoot("ini");
  fuzz::ResetDir(root);
  const auto file = root / "zelkova.ini";
  ZELKOVA_FUZZ_CHECK(WriteFileAtomic(file, parts[0]).ok());

  TIniGT ini(root, "zelkova");
  ZELKOVA_FUZZ_CHECK(ini.path() == file);
  const auto probes = Probes(parts[1], parts[2]);
  std::vector<std::string> before;
  for (const auto& [s, k] : probes) {
    before.push_back(ini.ReadString(s, k, "<default>"));
    (void)ini.ReadInteger(s, k, 7);
    (void)ini.ReadBool(s, k, true);
  }

  // Write into a section and key that are plain names, so the file can hold them.
  const std::string section = "S" + PlainValue(parts[1]), key = "K" + PlainValue(parts[2]);
  const std::string value = PlainValue(parts[0]);
  Status w = ini.WriteString(section, key, value);
  if (!w.ok()) {
    // A refused write must not have touched the file.
    auto now = ReadFile(file);
    ZELKOVA_FUZZ_CHECK(now.ok() && *now == parts[0]);
    return 0;
  }
  TIniGT reread(root, "zelkova");
  ZELKOVA_FUZZ_CHECK(reread.ReadString(section, key, "<default>") == value);
  for (size_t i = 0; i < probes.size(); ++i) {
    // A probe naming the written key (as the file matches names) reads the new value.
    if (MatchName(probes[i].first) == MatchName(section) && MatchName(probes[i].second) == MatchName(key)) continue;
    ZELKOVA_FUZZ_CHECK(reread.ReadString(probes[i].first, probes[i].second, "<default>") == before[i]);
  }
  return 0;
}
