// Paths of the stored files. Names are CP932 bytes (dates like 2024年05月12日); the helpers
// build file-system paths from them. Callers check that record-derived parts are digits first.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelkova {

// ProgramFolder/Data/{date}{extension}; `date` is the 14-byte date text.
std::filesystem::path DataPath(const std::filesystem::path& program_folder, std::string_view date,
                               std::string_view extension);
// ProgramFolder/SEI/{reg[0..4)}/{reg}.jvSEI
std::filesystem::path HorsePath(const std::filesystem::path& program_folder, std::string_view reg);
// ProgramFolder/SEIR/{key10[0..4)}/{key10}.jvSERA
std::filesystem::path MeetingPath(const std::filesystem::path& program_folder, std::string_view key10);

// The stored folders of a program folder, looked up once: while one is missing, every lookup
// by name would scan the program folder for a differently cased one.
struct StoredFolders {
  std::filesystem::path data, sei, seir;
};
StoredFolders ResolveStoredFolders(const std::filesystem::path& program_folder);
std::filesystem::path DataPath(const StoredFolders& f, std::string_view date, std::string_view extension);
std::filesystem::path HorsePath(const StoredFolders& f, std::string_view reg);
std::filesystem::path MeetingPath(const StoredFolders& f, std::string_view key10);

// The 14-byte date text from "yyyymmdd" digits: yyyy年mm月dd日 (CP932).
std::string DateText(std::string_view yyyymmdd);

}  // namespace zelkova
