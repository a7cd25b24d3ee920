#!/usr/bin/env bash
# Every picture the README and docs/ show must be one scripts/screenshots or
# scripts/screenshots-live makes (each lists its pictures with --list, building and running
# nothing), and docs/ holds no picture that no script makes: a picture taken by hand or left
# behind by a renamed shot fails here, naming it.
#   tests/docs/check_pictures.sh [ROOT]
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
cd "$root"
made="$( { scripts/screenshots --list; scripts/screenshots-live --list; } | sort -u)"
shown="$( { grep -oE '\]\(docs/[^)]+\.png\)' README.md | sed -E 's/^\]\(//; s/\)$//'
            for md in docs/*.md; do
              [ -e "$md" ] || continue
              { grep -oE '\]\([^)]+\.png\)' "$md" || true; } | sed -E 's/^\]\(//; s/\)$//; s|^(\./)?|docs/|'
            done; } | sort -u)"
status=0
while read -r p; do
  [ -n "$p" ] || continue
  if ! grep -qxF "$p" <<<"$made"; then
    echo "$p is shown in the documentation, but no screenshot script makes it"
    status=1
  elif [ ! -f "$p" ]; then
    echo "$p is shown in the documentation but missing; run the screenshot scripts"
    status=1
  fi
done <<<"$shown"
for p in docs/*.png; do
  [ -e "$p" ] || continue
  grep -qxF "$p" <<<"$made" || { echo "$p is in docs/, but no screenshot script makes it"; status=1; }
done
[ $status -eq 0 ] && echo "$(grep -c . <<<"$shown") pictures, each made by the screenshot scripts"
exit $status
