// The COM backend's marshalling, against a fake JV-Link: every call's arguments as the control
// receives them, the out-parameters coming back, a record with Japanese text, and failures.
#include <gtest/gtest.h>

#include <objbase.h>

#include "base/cp932.h"
#include "base/file_io.h"
#include "fake_dispatch.h"
#include "jvlink/feed_recorder.h"
#include "jvlink/jv_message.h"
#include "jvlink/software_id.h"
#include "jvlink/win/com_jv_link.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::FakeJvLinkDispatch;
using Arg = FakeJvLinkDispatch::Arg;

constexpr VARTYPE kOutLong = VT_BYREF | VT_I4;
constexpr VARTYPE kOutText = VT_BYREF | VT_BSTR;

class ComJvLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
  ComJvLink& jv() {
    if (!jv_) jv_ = ComJvLink::Attach(&fake_);
    return *jv_;
  }
  // "vt:value" of each argument of the only call of `name`.
  std::vector<std::wstring> argsOf(const std::wstring& name) {
    const auto calls = fake_.callsOf(name);
    EXPECT_EQ(calls.size(), 1u) << CallNames();
    std::vector<std::wstring> out;
    if (calls.empty()) return out;
    EXPECT_EQ(calls[0].flags, DISPATCH_METHOD);
    for (const Arg& a : calls[0].args) out.push_back(std::to_wstring(a.vt) + L":" + a.value);
    return out;
  }
  std::string CallNames() const {
    std::string s;
    for (const auto& c : fake_.calls) s += WideToUtf8(c.name) + " ";
    return s;
  }
  static std::wstring V(VARTYPE vt, const std::wstring& value) { return std::to_wstring(vt) + L":" + value; }

  FakeJvLinkDispatch fake_;
  std::unique_ptr<ComJvLink> jv_;
};

TEST_F(ComJvLinkTest, EveryCallPassesItsArgumentsAsTheControlExpects) {
  EXPECT_EQ(jv().JVInit(SoftwareId()), 0);
  EXPECT_EQ(argsOf(L"JVInit"), (std::vector<std::wstring>{V(VT_BSTR, L"SA000000/SD000000/ZelkovaJDL/Ver.1.22")}));

  fake_.results[L"JVSetUIProperties"] = -100;
  EXPECT_EQ(jv().JVSetUIProperties(), -100);
  EXPECT_TRUE(argsOf(L"JVSetUIProperties").empty());

  fake_.readCount = 12;
  fake_.downloadCount = 3;
  fake_.lastFileTimestamp = L"20240519120000";
  int reads = -9, downloads = -9;
  std::string last;
  EXPECT_EQ(jv().JVOpen("RACERCVN", "20240101000000", 2, reads, downloads, last), 0);
  EXPECT_EQ(argsOf(L"JVOpen"), (std::vector<std::wstring>{V(VT_BSTR, L"RACERCVN"), V(VT_BSTR, L"20240101000000"),
                                                         V(VT_I4, L"2"), V(kOutLong, L"0"), V(kOutLong, L"0"),
                                                         V(kOutText, L"(empty)")}));
  EXPECT_EQ(reads, 12);
  EXPECT_EQ(downloads, 3);
  EXPECT_EQ(last, "20240519120000");

  fake_.results[L"JVStatus"] = 2;
  EXPECT_EQ(jv().JVStatus(), 2);
  EXPECT_EQ(jv().JVRTOpen("0B30", "2024051905020311"), 0);
  EXPECT_EQ(argsOf(L"JVRTOpen"), (std::vector<std::wstring>{V(VT_BSTR, L"0B30"), V(VT_BSTR, L"2024051905020311")}));
  fake_.results[L"JVMVCheck"] = 1;
  EXPECT_EQ(jv().JVMVCheck("202405190511"), 1);
  EXPECT_EQ(argsOf(L"JVMVCheck"), (std::vector<std::wstring>{V(VT_BSTR, L"202405190511")}));
  EXPECT_EQ(jv().JVMVPlay("202405190511"), 0);
  EXPECT_EQ(argsOf(L"JVMVPlay"), (std::vector<std::wstring>{V(VT_BSTR, L"202405190511")}));
  jv().JVCancel();
  EXPECT_TRUE(argsOf(L"JVCancel").empty());
  fake_.results[L"JVClose"] = -1;
  EXPECT_EQ(jv().JVClose(), -1);

  EXPECT_EQ(jv().version(), "0490");
  ASSERT_EQ(fake_.callsOf(L"m_JVLinkVersion").size(), 1u);
  EXPECT_EQ(fake_.callsOf(L"m_JVLinkVersion")[0].flags, DISPATCH_PROPERTYGET);

  jv().setParentWindow(0x1234);
  const auto put = fake_.callsOf(L"ParentHWnd");
  ASSERT_EQ(put.size(), 1u);
  EXPECT_EQ(put[0].flags, DISPATCH_PROPERTYPUT);
  EXPECT_TRUE(put[0].namedPut);
  ASSERT_EQ(put[0].args.size(), 1u);
  EXPECT_EQ(put[0].args[0].value, L"4660");
}

TEST_F(ComJvLinkTest, JVReadHandsOutRecordsAsShiftJisAndNamesAreLookedUpOnce) {
  const std::wstring record = L"RA7東京優駿（ＧⅠ）\r\n";
  const std::string sjis = Sj("RA7東京優駿（ＧⅠ）") + "\r\n";
  // Some servers hand out a BSTR longer than its text, padded with NULs.
  fake_.reads = {{1, record, L"RAVM2024051920240519.jvd"},
                 {-1, L"", L""},
                 {1, record + std::wstring(5, L'\0'), L"RAVM2"},
                 {-3, L"", L""},
                 {0, L"", L""}};
  std::string buff, file;
  int size = 60000;
  ASSERT_EQ(jv().JVRead(buff, size, file), static_cast<int>(sjis.size()));
  EXPECT_EQ(buff, sjis);
  EXPECT_EQ(size, static_cast<int>(sjis.size()));  // bytes, the unit callers cut fields in
  EXPECT_EQ(file, "RAVM2024051920240519.jvd");
  const auto first = fake_.callsOf(L"JVRead");
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(first[0].args.size(), 3u);
  EXPECT_EQ(first[0].args[0].vt, kOutText);
  EXPECT_EQ(first[0].args[1].vt, kOutLong);
  EXPECT_EQ(first[0].args[1].value, L"60000");  // the buffer size goes in as well as out
  EXPECT_EQ(first[0].args[2].vt, kOutText);

  size = 60000;
  EXPECT_EQ(jv().JVRead(buff, size, file), -1);
  EXPECT_TRUE(buff.empty());
  size = 60000;
  EXPECT_EQ(jv().JVRead(buff, size, file), static_cast<int>(sjis.size()));
  EXPECT_EQ(buff, sjis);
  EXPECT_EQ(jv().JVRead(buff, size, file), -3);
  EXPECT_EQ(jv().JVRead(buff, size, file), 0);
  EXPECT_EQ(fake_.lookups[L"JVRead"], 1);
}

TEST_F(ComJvLinkTest, FailedCallsReadAsInternalErrorWithTheReasonKept) {
  fake_.failures[L"JVOpen"] = DISP_E_EXCEPTION;
  fake_.failureText = L"サービスキーが正しくありません";
  int reads = -9, downloads = -9;
  std::string last = "old";
  EXPECT_EQ(jv().JVOpen("RACERCVN", "20240101000000", 2, reads, downloads, last), -401);
  EXPECT_EQ(reads, 0);
  EXPECT_EQ(downloads, 0);
  EXPECT_EQ(last, "");
  EXPECT_EQ(jv().lastProblem().rfind("JVOpen failed (0x80020009", 0), 0u) << jv().lastProblem();
  EXPECT_NE(jv().lastProblem().find(Sj("サービスキーが正しくありません")), std::string::npos);
  EXPECT_EQ(JvMessage("JVOpen", -401), Sj("JV-Link 内部エラーが発生しました。(-401)"));

  fake_.failures[L"JVStatus"] = E_FAIL;
  EXPECT_EQ(jv().JVStatus(), -401);
  EXPECT_EQ(jv().lastProblem().rfind("JVStatus failed (0x80004005", 0), 0u) << jv().lastProblem();

  fake_.unknownNames = {L"JVMVPlay"};
  EXPECT_EQ(jv().JVMVPlay("202405190511"), -401);
  EXPECT_EQ(jv().lastProblem().rfind("JV-Link has no JVMVPlay (0x80020006", 0), 0u) << jv().lastProblem();
  fake_.failures[L"m_JVLinkVersion"] = E_FAIL;
  EXPECT_EQ(jv().version(), "");

  // The control is released with the backend.
  jv_.reset();
  EXPECT_EQ(fake_.refs, 1u);
}

TEST_F(ComJvLinkTest, ARecordedFeedComesFromTheControl) {
  fake_.readCount = 1;
  fake_.lastFileTimestamp = L"20240519120000";
  fake_.failures[L"JVRTOpen"] = E_FAIL;
  const std::wstring record = L"WE720240519東京　晴\r\n";
  fake_.reads = {{1, record, L"WEVM1.jvd"}, {1, record, L"WEVM1.jvd"}, {-1, L"", L""}, {0, L"", L""}};
  testing::TempDir dir;
  testing::FakeClock clock;
  FeedRecordOptions o;
  o.fromdate = "20240101000000";
  o.realtimeDate = "20240519";
  std::vector<std::string> lines;
  o.report = [&](const std::string& l) { lines.push_back(l); };
  FeedRecordSummary sum;
  EXPECT_FALSE(RecordFeed(jv(), clock, dir / "feed", o, &sum).ok());
  EXPECT_EQ(sum.failures, 3);
  // A call COM could not make is reported with what lay behind it.
  const std::string failure = "0B12 20240519 " + Sj("JVRTOpenエラー:JV-Link 内部エラーが発生しました。(-401)") +
                              ": JVRTOpen failed (0x80004005";
  bool found = false;
  for (const auto& l : lines) found |= l.rfind(failure, 0) == 0;
  EXPECT_TRUE(found) << Cp932ToUtf8Lossy(::testing::PrintToString(lines));
  const std::string sjis = Sj("WE720240519東京　晴") + "\r\n";
  EXPECT_EQ(testing::ReadBytes(dir / "feed" / "stored" / "RACE" / "20240519120000_WEVM1.jvd"), sjis + sjis);
  EXPECT_EQ(testing::ReadBytes(dir / "feed" / "version.txt"), "0490");
  EXPECT_EQ(sum.records, 2);
  // RACE read its file; RCVN then found JVRead at its end; the real-time streams failed.
  EXPECT_EQ(fake_.callsOf(L"JVOpen").size(), 2u);
  EXPECT_EQ(fake_.callsOf(L"JVRTOpen").size(), 3u);
  EXPECT_EQ(fake_.callsOf(L"JVClose").size(), 5u);
  EXPECT_EQ(fake_.lookups[L"JVOpen"], 1);
}

}  // namespace
}  // namespace zelkova
