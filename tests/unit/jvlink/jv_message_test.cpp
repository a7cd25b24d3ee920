#include <gtest/gtest.h>

#include "base/cp932.h"
#include "jvlink/jv_message.h"
#include "jvlink/software_id.h"

namespace zelkova {
namespace {

TEST(JvMessage, PositiveCodesCountInsteadOfText) {
  EXPECT_EQ(JvMessage("JVRead", 555), Sj("バッファにセットしたデータのサイズ555(555)"));
  EXPECT_EQ(JvMessage("JVGets", 1272), Sj("バッファにセットしたデータのサイズ1272(1272)"));
  EXPECT_EQ(JvMessage("JVMVRead", 7), Sj("バッファにセットしたデータのサイズ7(7)"));
  EXPECT_EQ(JvMessage("JVStatus", 3), Sj("ダウンロード済みファイル数3(3)"));
  EXPECT_EQ(JvMessage("JVStatus", 0), Sj("正常に実行されました。(0)"));
  // Operations without the counting rule keep an empty text for positive codes.
  EXPECT_EQ(JvMessage("JVOpen", 5), "(5)");
}

TEST(JvMessage, OddTextsAreKeptByteForByte) {
  EXPECT_EQ(JvMessage("JVOpen", -1), Sj(" 取得済みデータより最新のデータがありません。(-1)"));
  EXPECT_EQ(JvMessage("JVRTOpen", -1), JvMessage("JVOpen", -1));
  EXPECT_EQ(JvMessage("JVOpen", -411), Sj("サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。(-411)"));
  EXPECT_EQ(JvMessage("JVOpen", -501), Sj("セットアップ処理においてＣＤ －ＲＯＭ が無効です。(-501)"));
  EXPECT_EQ(JvMessage("JVFuku", -401), Sj("JV- Link 内部エラーが発生しました。(-401)"));
  EXPECT_EQ(JvMessage("JVMVPlay", -401), Sj("JV-Link内部エラーが発生しました。(-401)"));
  EXPECT_EQ(JvMessage("JVRead", 0), Sj("全ファイルの読み込みが終了しました。（ＥＯＦ ）(0)"));
}

TEST(JvMessage, LaterGroupOverridesAndUnknownsGiveBareCode) {
  // JVSetUIProperties is also a "JVSet" name: the later group's text wins.
  EXPECT_EQ(JvMessage("JVSetUIProperties", -101), Sj("すでにサービスキーが登録されています。(-101)"));
  EXPECT_EQ(JvMessage("JVSetUIProperties", -100),
            Sj("パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)"));
  EXPECT_EQ(JvMessage("JVSetServiceKey", 0), Sj("正常に実行されました。(0)"));
  EXPECT_EQ(JvMessage("JVSe", 0), "(0)");
  EXPECT_EQ(JvMessage("JVClose", -201), "(-201)");
  EXPECT_EQ(JvMessage("JVClose", 0), Sj("正常に実行されました。(0)"));
  EXPECT_EQ(JvMessage("JVSomething", -1), "(-1)");
  EXPECT_EQ(JvMessage("", 0), "(0)");
  EXPECT_EQ(JvMessage("jvopen", -1), "(-1)");  // names are case-sensitive
  EXPECT_EQ(JvMessage("JVInit", -999), "(-999)");
}

struct Sample {
  const char* op;
  int code;
  const char* text;  // UTF-8; converted before comparing
};

TEST(JvMessage, SampleOfEveryGroup) {
  const Sample samples[] = {
      {"JVInit", -103, "sid が不正（sid の１桁目がスペース）です。"},
      {"JVInit", -102, "sid が64byte 以上あります。"},
      {"JVInit", -101, "sid が設定されていません。"},
      {"JVOpen", -202, "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）"},
      {"JVRTOpen", -114, "key パラメータが不正です。"},
      {"JVOpen", -201, "JVInit が行なわれていません。"},
      {"JVStatus", -201, "JVInitが行なわれていません。"},
      {"JVStatus", -502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
      {"JVRead", -502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
      {"JVRead", -3, "ファイルダウンロード中"},
      {"JVRead", -403, "ダウンロードしたファイル内容が異常です。"},
      {"JVFileDelete", -503, "ファイルが見つかりません。"},
      {"JVFukuFile", -118, "filepath パラメータが不正です。"},
      {"JVFuku", -118, ""},
      {"JVFuku", -1, "該当データがありません。"},
      {"JVMVCheck", 1, "正常(公開動画あり)に実行されました。"},
      {"JVMVCheck", 0, "正常(公開動画なし)に実行されました。"},
      {"JVMVCheck", -114, "key パラメータが不正です。"},
      {"JVMVPlay", -100, "パラメータが不正またはレジストリへの保存に失敗しました。"},
      {"JVMVOpen", -100, ""},
      {"JVMVOpen", -114, "searchkeyパラメータが不正です。"},
      {"JVMVPlayWithType", -304, "JRAレーシングビュアー連携機能認証エラーが発生しました。"},
      {"JVCourseFile", -304, ""},
      {"JVCourseFile", -502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
      {"JVCourseFile2", -118, "filepathパラメータが不正です。"},
      {"JVCourseFile", -118, ""},
      {"JVMVPlay", -504, "サーバーメンテナンス中です。"},
      {"JVMVRead", -3, "データダウンロード中"},
      {"JVMVRead", -503, "一時ファイルが見つかりません。"},
  };
  for (const Sample& s : samples) {
    EXPECT_EQ(JvMessage(s.op, s.code), Sj(s.text) + "(" + std::to_string(s.code) + ")") << s.op << " " << s.code;
  }
}

TEST(SoftwareId, IsTheFixedPrefixAndVersion) {
  EXPECT_EQ(SoftwareId(), "SA000000/SD000000/ZelkovaJDL/Ver.1.22");
  EXPECT_LT(SoftwareId().size(), 64u);  // JVInit refuses 64 bytes or more
}

}  // namespace
}  // namespace zelkova
