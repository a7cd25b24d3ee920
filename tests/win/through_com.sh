#!/usr/bin/env bash
# zelkova-cli.exe under Wine, talking to JV-Link through COM: jvlink-standin.dll registered under
# JV-Link's ProgID serves a generated feed. A batch download through COM must store the very bytes
# the recorded-feed backend stores from the same feed; JV-Link's error codes coming back through COM
# must be told as the recorded backend tells them; JVLink設定 and a real-time odds fetch go through
# COM too; and without the control registered the start-up message is given, not a crash.
#   through_com.sh BIN_DIR SOURCE_DIR WORK_DIR     (ctest runs it in the Windows cross-build)
# Uses a Wine prefix of its own (WORK_DIR/wine), so that registering the stand-in touches no
# other test. Exit 77 (skipped) when the cross-build has no fixed files (it had no Wine).
set -euo pipefail
bin="$1" src="$2" work="$3"
[ -f "$bin/RTJ.dat" ] || { echo "through_com: no fixed files beside the programs (no Wine at build time): skipped"; exit 77; }
export ZELKOVA_WINEPREFIX="$work/wine"
t="$work/run"
rm -rf "$t"
mkdir -p "$t"

win() { local p="${1//\//\\}"; printf 'Z:%s' "$p"; }
wine_run() { "$src/scripts/wine-run" "$@"; }
cli() { wine_run "$bin/zelkova-cli.exe" "$@"; }
fail() { echo "through_com: FAILED: $*" >&2; exit 1; }
# The stored tree of a program folder: what the program keeps of JV-Data.
tree() {
  (cd "$1" && for d in Data SEI SEIR kaime; do [ ! -d "$d" ] || find "$d" -type f; done | LC_ALL=C sort)
}
has() { grep -qF -- "$2" "$1" || fail "$1 lacks '$2': $(head -c 2000 "$1")"; }

from="2024/05/01 00:00:00"
wine_run "$bin/zelkova-feedgen.exe" --out "$(win "$t/feed")" --scale test --seed 5 --today 2024-05-19 >/dev/null \
  || fail "zelkova-feedgen"
wine_run regsvr32 /s "$(win "$bin/jvlink-standin.dll")" || fail "regsvr32 jvlink-standin.dll"
export ZELKOVA_STANDIN_FEED="$(win "$t/feed")"
export ZELKOVA_STANDIN_LOG="$(win "$t/standin.log")"

# 1. The same download, recorded backend and COM, into two new program folders.
start=$SECONDS
cli --home "$(win "$t/recorded")" --feed "$(win "$t/feed")" download --from "$from" >"$t/recorded.out" 2>"$t/recorded.err" \
  || fail "recorded download: $(cat "$t/recorded.err")"
recorded_s=$((SECONDS - start))
start=$SECONDS
cli --home "$(win "$t/com")" download --from "$from" >"$t/com.out" 2>"$t/com.err" || fail "COM download: $(cat "$t/com.err")"
com_s=$((SECONDS - start))
has "$t/standin.log" "JVInit SA000000/SD000000/ZelkovaJDL/Ver.1.22 -> 0"
has "$t/standin.log" "JVOpen RACERCVN 20240501000000 2"
[ ! -e "$t/com/jvcache" ] || fail "the COM download used the recorded backend (a jvcache folder exists)"
diff "$t/recorded.out" "$t/com.out" >/dev/null || fail "the downloads said different things: $(diff "$t/recorded.out" "$t/com.out")"
tree "$t/recorded" >"$t/recorded.files"
tree "$t/com" >"$t/com.files"
files=$(wc -l <"$t/recorded.files")
[ "$files" -gt 100 ] || fail "only $files stored files"
diff "$t/recorded.files" "$t/com.files" >/dev/null || fail "different files: $(diff "$t/recorded.files" "$t/com.files" | head)"
bytes=0
while IFS= read -r f; do
  cmp -s "$t/recorded/$f" "$t/com/$f" || fail "$f differs"
  bytes=$((bytes + $(stat -c %s "$t/recorded/$f")))
done <"$t/recorded.files"
echo "through_com: download through COM: $files stored files, $bytes bytes, byte-identical to the recorded backend's" \
     "(recorded ${recorded_s} s, COM ${com_s} s)"

# 2. JVLink設定 reaches JVSetUIProperties; its code is told.
cli --home "$(win "$t/com")" jvlink-setup >"$t/setup.out" 2>"$t/setup.err" || fail "jvlink-setup: $(cat "$t/setup.err")"
has "$t/setup.out" "JVSetUIProperties: 0"
has "$t/standin.log" "JVSetUIProperties -> 0"

# 3. JV-Link's error codes through COM read as the recorded backend's.
# A copy of the feed as $t/NAME with the failures INJECT, given to the stand-in; `feed_for VIA`
# then sets `feed` to the options the recorded backend needs for it (none through COM).
injected_feed() {
  cp -r "$t/feed" "$t/$1"
  printf '%b' "$2" >"$t/$1/inject.txt"
  export ZELKOVA_STANDIN_FEED="$(win "$t/$1")"
  injected="$1"
}
feed_for() {
  feed=()
  [ "$1" = recorded ] && feed=(--feed "$(win "$t/$injected")")
  return 0
}
injected_feed bad 'JVSetUIProperties -100\r\nJVOpen -301\r\n'
for via in recorded com; do
  feed_for "$via"
  cli --home "$(win "$t/$via")" "${feed[@]}" jvlink-setup >"$t/$via-setup.out" 2>"$t/$via-setup.err" && fail "$via: JVSetUIProperties -100 ended well"
  cli --home "$(win "$t/$via")" "${feed[@]}" download --from "$from" >"$t/$via-bad.out" 2>"$t/$via-bad.err" \
    && fail "$via: JVOpen -301 ended well"
  has "$t/$via-setup.err" "JVSetUIPropertiesエラー：パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)"
  has "$t/$via-bad.err" "JVOpenエラー:認証エラーが発生しました。(-301)"
done
# The recorded backend adds a line naming the injection (its lastProblem); the rest is the same.
for what in bad setup; do
  diff <(grep -v '^injected ' "$t/recorded-$what.err") "$t/com-$what.err" >/dev/null \
    || fail "the $what errors read differently: $(diff "$t/recorded-$what.err" "$t/com-$what.err")"
done
# A read error part of the way: the same message, and the same files kept of what was read.
injected_feed cut 'JVRead -402 after 3000\r\n'
for via in recorded com; do
  feed_for "$via"
  cli --home "$(win "$t/$via-cut")" "${feed[@]}" download --from "$from" >"$t/$via-cut.out" 2>"$t/$via-cut.err" \
    && fail "$via: JVRead -402 ended well"
  has "$t/$via-cut.err" "JVReadエラー:ダウンロードしたファイルサイズが異常です。(-402)"
  tree "$t/$via-cut" >"$t/$via-cut.files"
done
# (each download also names the program folder it started)
diff <(grep -v -e '^injected ' -e 'プログラムフォルダ' "$t/recorded-cut.err") <(grep -v 'プログラムフォルダ' "$t/com-cut.err") >/dev/null \
  || fail "the read errors read differently: $(diff "$t/recorded-cut.err" "$t/com-cut.err")"
diff "$t/recorded-cut.files" "$t/com-cut.files" >/dev/null || fail "a cut download kept different files"
while IFS= read -r f; do cmp -s "$t/recorded-cut/$f" "$t/com-cut/$f" || fail "cut: $f differs"; done <"$t/recorded-cut.files"
echo "through_com: JVSetUIProperties -100, JVOpen -301 and JVRead -402 through COM told as by the recorded backend;" \
     "the cut download kept the same $(wc -l <"$t/recorded-cut.files") files"

# 4. A real-time odds fetch through COM merged into the stored day (JV-Link's time: 11:00).
export ZELKOVA_STANDIN_FEED="$(win "$t/feed")" ZELKOVA_STANDIN_CLOCK="2024-05-19 11:00"
cli --home "$(win "$t/com")" follow 20240519 --clock "2024-05-19 09:00" --clock-speed 3600 --until 11:00 \
  >"$t/follow.out" 2>"$t/follow.err" || fail "follow through COM: $(cat "$t/follow.err")"
has "$t/standin.log" "JVRTOpen 0B30 20240519"
odds=$(grep -cE ' オッズ .* 読込[1-9][0-9]*件 保存[1-9][0-9]*件 正常\r?$' "$t/follow.out" || true)
[ "$odds" -ge 1 ] || fail "no odds merged: $(cat "$t/follow.out")"
[ -s "$t/com/Data/2024年05月19日.jvO1" ] || fail "no odds file"
echo "through_com: follow through COM merged the odds of $odds races"

# 5. Without the control registered: the start-up message, not a crash.
wine_run regsvr32 /u /s "$(win "$bin/jvlink-standin.dll")" || fail "regsvr32 /u"
status=0
cli --home "$(win "$t/fresh")" download --from "$from" >"$t/missing.out" 2>"$t/missing.err" || status=$?
[ "$status" = 1 ] || fail "download without JV-Link ended with $status"
has "$t/missing.err" "JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。"
echo "through_com: without JV-Link registered: $(grep -F "JV-Link" "$t/missing.err")"
