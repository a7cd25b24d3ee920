#include "settings/ini_gt.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"

namespace zelkova {
namespace {

constexpr char kOpenBracket = '\xA2';   // ｢ (half-width, one CP932 byte)
constexpr char kCloseBracket = '\xA3';  // ｣

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Case folding of single-byte ASCII letters only: the trail byte of a double-byte character
// may look like a letter and must not be folded.
std::string FoldKey(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLeadByte(c) && i + 1 < s.size()) {
      out.push_back(s[i]);
      out.push_back(s[++i]);
      continue;
    }
    out.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : s[i]);
  }
  return out;
}

// True iff the last byte of `s` is a character of its own (not the trail of a double-byte one).
bool LastByteStandsAlone(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      if (i + 2 == s.size()) return false;
      i += 2;
    } else {
      ++i;
    }
  }
  return true;
}

// One physical line of the file with its terminator kept, so untouched lines go back unchanged.
struct Line {
  std::string text;  // without terminator
  std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
};

std::vector<Line> SplitKeepingEnds(const std::string& bytes) {
  std::vector<Line> lines;
  size_t i = 0;
  while (i < bytes.size()) {
    size_t e = bytes.find_first_of("\r\n", i);
    if (e == std::string::npos) {
      lines.push_back({bytes.substr(i), ""});
      break;
    }
    Line l{bytes.substr(i, e - i), ""};
    if (bytes[e] == '\r' && e + 1 < bytes.size() && bytes[e + 1] == '\n') {
      l.eol = "\r\n";
      i = e + 2;
    } else {
      l.eol = std::string(1, bytes[e]);
      i = e + 1;
    }
    lines.push_back(std::move(l));
  }
  return lines;
}

// "[name]" -> name (folded); nullopt-like empty flag when the line is not a section header.
bool SectionName(std::string_view line, std::string& name) {
  std::string_view t = TrimBlanks(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string_view::npos) return false;
  name = FoldKey(TrimBlanks(t.substr(1, close - 1)));
  return true;
}

bool KeyValue(std::string_view line, std::string& key, std::string_view& value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  std::string_view k = TrimBlanks(line.substr(0, eq));
  if (k.empty() || k.front() == ';') return false;
  key = FoldKey(k);
  value = TrimBlanks(line.substr(eq + 1));
  return true;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

TIniGT::TIniGT(const std::filesystem::path& program_folder, const std::string& exe_name)
    : folder_(program_folder), exeName_(exe_name) {
  resolve();
}

TIniGT::TIniGT(const std::filesystem::path& ini_file)
    : folder_(ini_file.parent_path()), exeName_(PathToUtf8(ini_file.stem())), fileName_(PathToUtf8(ini_file.filename())) {
  resolve();
}

void TIniGT::setFileName(const std::string& name) {
  fileName_ = name;
  resolve();
}

void TIniGT::setDefaultDir(DefaultDir dir) {
  defaultDir_ = dir;
  resolve();
}

void TIniGT::resolve() {
  std::filesystem::path name = fileName_.empty() ? PathFromUtf8(PathToUtf8(PathFromUtf8(exeName_).stem()) + ".ini")
                                                 : PathFromUtf8(fileName_);
  if (name.has_parent_path() || name.is_absolute() || defaultDir_ == DefaultDir::ddNone) {
    path_ = name;
    return;
  }
  std::filesystem::path base = folder_;
  if (defaultDir_ == DefaultDir::ddWindows) {
    // Only Windows has a Windows folder; elsewhere the program folder stands in for it.
    if (const char* win = std::getenv("WINDIR"); win && *win) base = win;
  }
  path_ = base / name;
}

namespace {

// Looks `section`/`key` up in the file's bytes; false when absent.
bool Lookup(const std::string& bytes, const std::string& section, const std::string& key, std::string& out) {
  const std::string want_section = FoldKey(TrimBlanks(section));
  const std::string want_key = FoldKey(TrimBlanks(key));
  bool inside = false;
  for (const Line& l : SplitKeepingEnds(bytes)) {
    std::string name;
    if (SectionName(l.text, name)) {
      inside = name == want_section;
      continue;
    }
    if (!inside) continue;
    std::string k;
    std::string_view v;
    if (KeyValue(l.text, k, v) && k == want_key) {
      out.assign(v);
      return true;
    }
  }
  return false;
}

}  // namespace

// Reads the raw value (blanks around it trimmed, as the platform's ini reader does).
static bool ReadRaw(const std::filesystem::path& path, std::string& problem, const std::string& section,
                    const std::string& key, std::string& out) {
  auto bytes = ReadFile(path);
  if (!bytes.ok()) {
    problem = bytes.status().isNotFound() ? std::string() : bytes.status().message();
    return false;
  }
  problem.clear();
  if (!IsValidCp932(*bytes)) {
    problem = Sj("設定ファイル「") + PathText(path.filename()) +
              Sj("」にShift-JISでない文字があります。その行は読み書きしても変更しません。");
  }
  return Lookup(*bytes, section, key, out);
}

bool TIniGT::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

int TIniGT::ReadInteger(const std::string& section, const std::string& key, int def) const {
  std::string raw;
  if (!ReadRaw(path_, problem_, section, key, raw)) return def;
  std::string_view t = TrimBlanks(raw);
  if (t.empty()) return def;
  size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i >= t.size() || !IsAllDigits(t.substr(i)) || t.size() > 11) return def;
  long long v = ParseInt(t, def);
  if (v < INT32_MIN || v > INT32_MAX) return def;
  return static_cast<int>(v);
}

std::string TIniGT::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  std::string v;
  if (!ReadRaw(path_, problem_, section, key, v)) v = kOpenBracket + def + kCloseBracket;
  if (v.size() == 2 && (v == "\"\"" || (v[0] == kOpenBracket && v[1] == kCloseBracket))) return {};
  if (v.size() > 2) {
    bool quoted = v.front() == '"' && v.back() == '"';
    // ｣ may also be the trail byte of a double-byte character; only a bracket of its own counts.
    bool bracketed = v.front() == kOpenBracket && v.back() == kCloseBracket && LastByteStandsAlone(v);
    if (quoted || bracketed) return v.substr(1, v.size() - 2);
  }
  return v;
}

Status TIniGT::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

Status TIniGT::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

Status TIniGT::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  // A line break would split the entry and plant a line of the caller's choosing in the file.
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) || TrimBlanks(section).empty() ||
      TrimBlanks(key).empty() || key.find('=') != std::string::npos || section.find(']') != std::string::npos)
    return Status::InvalidArgument(Sj("設定の書き込みに使えない名前か値です：[") + section + "] " + key);
  if (readOnly_) return Status::Ok();

  std::string bytes;
  auto read = ReadFile(path_);
  if (read.ok()) {
    bytes = std::move(*read);
  } else if (!read.status().isNotFound()) {
    return read.status();  // unreadable: rewriting would lose what is there
  }
  problem_.clear();
  if (!IsValidCp932(bytes))
    problem_ = Sj("設定ファイル「") + PathText(path_.filename()) +
               Sj("」にShift-JISでない文字があります。その行は読み書きしても変更しません。");

  std::vector<Line> lines = SplitKeepingEnds(bytes);
  const std::string want_section = FoldKey(TrimBlanks(section));
  const std::string want_key = FoldKey(TrimBlanks(key));
  const std::string entry = key + "=" + value;
  bool inside = false;
  long section_at = -1, last_entry = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (SectionName(lines[i].text, name)) {
      if (inside) break;  // the section ended without the key
      inside = name == want_section;
      if (inside) section_at = last_entry = static_cast<long>(i);
      continue;
    }
    if (!inside) continue;
    std::string k;
    std::string_view v;
    if (KeyValue(lines[i].text, k, v) && k == want_key) {
      lines[i].text = entry;
      last_entry = -2;
      break;
    }
    if (!TrimBlanks(lines[i].text).empty()) last_entry = static_cast<long>(i);
  }
  if (last_entry != -2) {
    if (section_at < 0) {
      if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = "\r\n";
      lines.push_back({"[" + section + "]", "\r\n"});
      lines.push_back({entry, "\r\n"});
    } else {
      size_t at = static_cast<size_t>(last_entry) + 1;
      if (lines[at - 1].eol.empty()) lines[at - 1].eol = "\r\n";
      lines.insert(lines.begin() + static_cast<long>(at), Line{entry, "\r\n"});
    }
  }
  std::string out;
  out.reserve(bytes.size() + entry.size() + 8);
  for (const Line& l : lines) out += l.text + l.eol;
  return WriteFileAtomic(path_, out);
}

}  // namespace zelkova
