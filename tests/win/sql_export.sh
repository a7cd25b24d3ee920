#!/usr/bin/env bash
# zelkova-cli.exe under Wine writes the SQLite export of a generated, downloaded feed into a file
# under a Japanese folder name; the file must open with this machine's sqlite3, hold every stored
# date whole, skip them all when exported again, and --postgres must say it is not in this build.
#   sql_export.sh BIN_DIR SOURCE_DIR WORK_DIR     (ctest runs it in the Windows cross-build)
# Exit 77 (skipped) without the fixed files (no Wine at build time) or without sqlite3.
set -euo pipefail
bin="$1" src="$2" work="$3"
[ -f "$bin/RTJ.dat" ] || { echo "sql_export: no fixed files beside the programs (no Wine at build time): skipped"; exit 77; }
command -v sqlite3 >/dev/null || { echo "sql_export: no sqlite3 here (apt-get install sqlite3): skipped"; exit 77; }
t="$work/run"
rm -rf "$t"
mkdir -p "$t/home" "$t/書き出し先"
for f in RTJ.dat RTN.dat RTC.dat SetGate.tbl; do cp "$bin/$f" "$t/home/"; done

win() { local p="${1//\//\\}"; printf 'Z:%s' "$p"; }
cli() { "$src/scripts/wine-run" "$bin/zelkova-cli.exe" --home "$(win "$t/home")" "$@"; }
fail() { echo "sql_export: FAILED: $*" >&2; exit 1; }
q() { sqlite3 "$db" "$1"; }

"$src/scripts/wine-run" "$bin/zelkova-feedgen.exe" --out "$(win "$t/feed")" --scale test --seed 3 --today 2024-05-19 \
  >/dev/null || fail "zelkova-feedgen"
cli --feed "$(win "$t/feed")" download --from "2024/05/01 00:00:00" >/dev/null 2>"$t/download.err" \
  || fail "download: $(cat "$t/download.err")"
dates=$(cli dates 2>/dev/null | grep -c . || true)
[ "$dates" -gt 0 ] || fail "the download stored no date"

db="$t/書き出し先/競馬.sqlite"
cli export --sqlite "$(win "$db")" >"$t/export.out" 2>"$t/export.err" || fail "export: $(cat "$t/export.err")"
[ -f "$db" ] || fail "no file at $db: $(cat "$t/export.err")"
[ "$(q 'PRAGMA integrity_check')" = ok ] || fail "the file is damaged"
[ "$(q 'SELECT count(*) FROM export_stamps')" = "$dates" ] || fail "not every date exported: $(cat "$t/export.err")"
# Every date with its races, runners and their figures; names decoded from Shift-JIS.
[ "$(q 'SELECT count(*) FROM export_stamps s WHERE NOT EXISTS (SELECT 1 FROM races r WHERE r.race_date = s.race_date)')" = 0 ] \
  || fail "a date without races"
[ "$(q 'SELECT count(*) FROM figures f JOIN entries e USING (race_key, horse_number)')" -gt 0 ] || fail "no runners' figures"
[ "$(q "SELECT count(*) FROM races WHERE course_name NOT GLOB '*[^ -~]*'")" = 0 ] || fail "a course name not decoded"

# Unchanged: every date skipped, nothing rewritten.
cli export --sqlite "$(win "$db")" >/dev/null 2>"$t/again.err" || fail "second export: $(cat "$t/again.err")"
grep -qF "0日を書き出しました（変更のない${dates}日は省きました）。" "$t/again.err" || fail "second export: $(cat "$t/again.err")"

status=0
cli export --postgres "host=127.0.0.1 dbname=keiba" >/dev/null 2>"$t/pg.err" || status=$?
[ "$status" = 1 ] || fail "--postgres exited with $status"
grep -qF "PostgreSQLへの書き出しはこの版ではできません。" "$t/pg.err" || fail "--postgres: $(cat "$t/pg.err")"
echo "sql_export: $dates dates, $(q 'SELECT count(*) FROM figures') runners' figures, $(du -k "$db" | cut -f1) KB"
