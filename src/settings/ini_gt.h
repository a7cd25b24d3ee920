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

  // `exe_name`: the executable's file name; with an empty FileName the file is that name with
  // its extension replaced by ".ini", in `program_folder` (ddApplication).
  TIniGT(const std::filesystem::path& program_folder, const std::string& exe_name);
  // Settings kept in exactly this file.
  explicit TIniGT(const std::filesystem::path& ini_file);

  // The resolved file every operation reads and writes.
  const std::filesystem::path& path() const { return path_; }

  // FileName (UTF-8): empty = derived from the executable. A name with a folder part is used as
  // given; a bare name is placed by DefaultDir. Setting either re-resolves path().
  const std::string& FileName() const { return fileName_; }
  void setFileName(const std::string& name);
  DefaultDir defaultDir() const { return defaultDir_; }
  void setDefaultDir(DefaultDir dir);

  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // Applies the quote rule: "" and ｢｣ read as empty; a value wrapped in "..." or ｢...｣ loses the pair.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;

  Status WriteBool(const std::string& section, const std::string& key, bool value);
  Status WriteInteger(const std::string& section, const std::string& key, int value);
  Status WriteString(const std::string& section, const std::string& key, const std::string& value);

  // Read-only: every write is left out and reports success, as for a program folder that cannot
  // be written (the user is told once that nothing is saved, not at every change).
  void setReadOnly(bool on) { readOnly_ = on; }
  bool readOnly() const { return readOnly_; }

  // Problems met while reading the file (for example bytes that are not CP932); empty when none.
  const std::string& lastProblem() const { return problem_; }

 private:
  void resolve();

  std::filesystem::path folder_;
  std::string exeName_;
  std::string fileName_;
  DefaultDir defaultDir_ = DefaultDir::ddApplication;
  std::filesystem::path path_;
  mutable std::string problem_;
  bool readOnly_ = false;
};

}  // namespace zelkova
