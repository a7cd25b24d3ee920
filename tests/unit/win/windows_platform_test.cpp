// What only Windows can get wrong: file names through the wide API, offsets past 32 bits, the
// registry value naming the time-series odds folder, and the system's CP932 tables.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/system_registry.h"
#include "settings/ini_gt.h"
#include "store/stored_paths.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::TempDir;

TEST(WindowsFiles, JapaneseNamesAreTheRealNamesOnDisk) {
  TempDir dir;
  const std::filesystem::path data = dir / "Data";
  ASSERT_TRUE(EnsureDir(data).ok());
  const std::filesystem::path p = DataPath(StoredFolders{data, {}, {}, {}}, DateText("20240519"), ".jvRA");
  ASSERT_TRUE(WriteFileAtomic(p, "x\r\n").ok());
  // The system sees the Unicode name, not UTF-8 bytes taken as another code page.
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((data / L"*").c_str(), &found);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::wstring name;
  do {
    if (found.cFileName[0] != L'.') name = found.cFileName;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  EXPECT_EQ(name, L"2024年05月19日.jvRA");
  EXPECT_EQ(DateList(dir.path()), std::vector<std::string>{Sj("2024年05月19日")});
  EXPECT_EQ(*ReadFile(p), "x\r\n");
  // A message names it in CP932, as every core text is.
  EXPECT_NE(ReadFile(data / L"無い.jvRA").status().message().find(Sj("無い.jvRA")), std::string::npos);
}

TEST(WindowsFiles, OffsetsBeyondFourGigabytes) {
  TempDir dir;
  const auto p = dir / "big.bin";
  const uint64_t offset = (uint64_t{1} << 32) + 5;  // past what a 32-bit long or DWORD holds
  HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD ignored = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);  // no 4 GB of zeros
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, "abc", 3, &written, nullptr));
  CloseHandle(h);
  EXPECT_EQ(*FileSize(p), offset + 3);
  EXPECT_EQ(*ReadAt(p, offset, 3), "abc");
  EXPECT_TRUE(ReadAt(p, offset + 1, 3).status().isCorruption());
}

TEST(WindowsCp932, SystemTablesAgreeOnTheProgramsCharacters) {
  // Full-width and half-width forms, NEC specials and the characters other converters map
  // differently (wave dash, minus, yen, not sign): the bytes the Linux build makes with iconv.
  const std::string text = "ＡＢＣｱｲｳ①Ⅰ㈱～－￥＼∥￢東京優駿";
  auto sj = Utf8ToCp932(text);
  ASSERT_TRUE(sj.ok()) << sj.status().message();
  EXPECT_EQ(*sj, "\x82\x60\x82\x61\x82\x62\xB1\xB2\xB3\x87\x40\x87\x54\x87\x8A\x81\x60\x81\x7C\x81\x8F\x81\x5F\x81\x61"
                 "\x81\xCA\x93\x8C\x8B\x9E\x97\x44\x8F\x78");
  EXPECT_EQ(*Cp932ToUtf8(*sj), text);
  EXPECT_EQ(WideToCp932(L"東京"), Sj("東京"));
  EXPECT_EQ(Cp932ToWide(Sj("東京")), L"東京");
  EXPECT_EQ(WideToCp932(L"a\U0001F600b").front(), 'a');  // no CP932 form: no failure either
  EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80").ok());
  EXPECT_EQ(Utf8ToCp932Lossy("a\xF0\x9F\x98\x80" "b"), "a?b");
}

// The odds program's install folder, as its installer leaves it in the registry.
class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
      RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), view, 0);
  }
  static std::wstring Key() { return Cp932ToWide(kOddsViewerUninstallKey); }
  static bool Set(REGSAM view, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
      return false;
    const LSTATUS rc = RegSetValueExW(h, L"Inno Setup: App Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
  }
};

TEST_F(RegistryTest, TheTimeSeriesFolderComesFromTheInstallersValue) {
  auto registry = SystemRegistry();
  EXPECT_EQ(registry->readLocalMachineString(kOddsViewerUninstallKey, kOddsViewerPathValue), "");
  if (!Set(KEY_WOW64_32KEY, L"C:\\Program Files (x86)\\オッズ時系列")) GTEST_SKIP() << "HKLM is not writable here";
  EXPECT_EQ(registry->readLocalMachineString(kOddsViewerUninstallKey, kOddsViewerPathValue),
            Sj("C:\\Program Files (x86)\\オッズ時系列"));

  TempDir dir;
  TIniGT ini(dir.path(), "zelkova");
  ResolveTimeSeriesFolder(ini, *registry);
  EXPECT_EQ(ini.ReadString("Dir", "jikeiretu", ""), Sj("C:\\Program Files (x86)\\オッズ時系列\\Data"));
  // A folder already set is kept.
  ASSERT_TRUE(ini.WriteString("Dir", "jikeiretu", "D:\\odds").ok());
  ResolveTimeSeriesFolder(ini, *registry);
  EXPECT_EQ(ini.ReadString("Dir", "jikeiretu", ""), "D:\\odds");
}

}  // namespace
}  // namespace zelkova
