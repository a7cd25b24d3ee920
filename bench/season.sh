# Sourced by bench/load, bench/view, bench/export and scripts/screenshots: makes sure `$season` holds a
# generated year feed downloaded into an installed program folder `$season/home` (once; kept
# for later runs). Needs `$bin` (the built executables and fixed files) and `$who` (for messages).
if [ ! -f "$season/.ready" ]; then
  rm -rf "$season"
  mkdir -p "$season/home"
  # An installed program folder: the CLI checks its fixed files before anything else.
  for f in RTJ.dat RTN.dat RTC.dat SetGate.tbl; do cp "$bin/$f" "$season/home/$f"; done
  echo "$who: generating and downloading a season into $season (once)" >&2
  "$bin/zelkova-feedgen" --out "$season/feed" --scale year --seed 1 --today 2024-12-22 >&2
  start=$(date +%s)
  # From the start of time: a fresh program folder has no remembered time to continue from.
  "$bin/zelkova-cli" --home "$season/home" --feed "$season/feed" download --from "2000/01/01 00:00:00" >/dev/null
  echo "$who: download took $(( $(date +%s) - start )) s" >&2
  if ! ls "$season/home/Data/"*.jvRA >/dev/null 2>&1; then
    echo "$who: the download stored no race file in $season/home" >&2
    exit 1
  fi
  touch "$season/.ready"
fi
