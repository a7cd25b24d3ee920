#include "store/legacy_um.h"

#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"
#include "records/record.h"

namespace zelkova {

std::string ConvertLegacyUmRecord(std::string_view rec) {
  std::string line;
  line.reserve(kLenUM - 2);
  line.append(rec.substr(0, 204));
  // The ancestors' registration numbers grew from 8 to 10 digits.
  for (size_t k = 0; k < 14; ++k) line.append("  ").append(rec.substr(204 + 44 * k, 44));
  line.append(rec.substr(820, 34));
  line.append("  ").append(rec.substr(854, 6));
  line.append("  ").append(rec.substr(860, 715));
  return line;
}

Status ConvertLegacyHorseMaster(const std::filesystem::path& program_folder, std::string_view date, size_t* lines) {
  if (lines) *lines = 0;
  auto source = DataPath(program_folder, date, ".jvUMA");
  if (!FileExists(source)) return Status::Ok();
  auto bytes = ReadFile(source);
  if (!bytes.ok()) return bytes.status();
  if (bytes->size() % kLenLegacyUM != 0)
    return Status::Corruption(Sj("旧形式の馬マスタ「") + PathText(source) + Sj("」の長さ（") +
                              std::to_string(bytes->size()) + Sj("バイト）がレコード長1577バイトの倍数ではありません"));
  std::vector<std::string> out;
  out.reserve(bytes->size() / kLenLegacyUM);
  for (size_t off = 0; off < bytes->size(); off += kLenLegacyUM)
    out.push_back(ConvertLegacyUmRecord(std::string_view(*bytes).substr(off, kLenLegacyUM)));
  if (out.empty()) return Status::Ok();
  Status s = SaveLines(DataPath(program_folder, date, ".jvUM2"), out);
  if (s.ok() && lines) *lines = out.size();
  return s;
}

}  // namespace zelkova
