// TIniGT: the settings component. An ini file (sections in brackets, key=value lines) in CP932,
// named after the executable with ".ini". Every window that keeps settings has one; all resolve to
// the same file. Writing a key keeps every other section, key and line of the file, and the file is
// replaced atomically. Sections, keys and values are CP932 bytes.
#pragma once

#include <filesystem>
#include <string>

#include "base/status.h"

namespace zelkova {

class TIniGT {
 public:
  enum class DefaultDir { ddApplication, ddWindows, ddNone };

  // `exe_path`: the executable; the file is its name with the extension replaced by ".ini",
  // in `program_folder` (ddApplication).
  TIniGT(const std::filesystem::path& program_folder, const std::string& exe_name);
  explicit TIniGT(const std::filesystem::path& ini_file);

  const std::filesystem::path& path() const { return path_; }

  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // Applies the quote rule: "" and ｢｣ read as empty; a value wrapped in "..." or ｢...｣ loses the pair.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;

  Status WriteBool(const std::string& section, const std::string& key, bool value);
  Status WriteInteger(const std::string& section, const std::string& key, int value);
  Status WriteString(const std::string& section, const std::string& key, const std::string& value);

  // Problems met while reading the file (for example bytes that are not CP932); empty when none.
  const std::string& lastProblem() const { return problem_; }

 private:
  std::filesystem::path path_;
  mutable std::string problem_;
};

}  // namespace zelkova
