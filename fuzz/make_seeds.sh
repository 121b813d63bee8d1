#!/usr/bin/env bash
# Builds the fuzzer's seed corpus in DIR from the repository's reports: every
# report alone, the pairs that merge, and runs through an options file. With
# a kovxmlmerge binary, also merge states saved by it: alone, followed by a
# report, and through an options file.
#
#   fuzz/make_seeds.sh DIR [BINARY]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
mkdir -p "$out"
marker='#KOV-NEXT#'

reports=("$root"/examples/*/*.xml "$root"/tests/cli/reports/*.xml "$root"/tests/reader/data/*.xml)
n=0
for r in "${reports[@]}"; do
  n=$((n + 1))
  cp "$r" "$out/one-$n.xml"
done

pair() {  # pair NAME A B [OPTIONS]
  local name=$1 a=$2 b=$3
  { cat "$a"; echo "$marker"; cat "$b"
    if [ $# -ge 4 ]; then echo "$marker"; printf '%s\n' "$4"; fi
  } >"$out/$name"
}
pair two-basic "$root/tests/cli/reports/basic1.xml" "$root/tests/cli/reports/basic2.xml"
pair two-mcdc "$root/tests/cli/reports/mcdc1.xml" "$root/tests/cli/reports/mcdc2.xml"
pair two-special "$root/tests/cli/reports/special.xml" "$root/tests/cli/reports/special.xml"
pair two-headers "$root/tests/reader/data/headers.xml" "$root/tests/reader/data/linedir.xml"
# A report with a diff as the second part, measured through the options file.
(cd "$out" && bash "$root/tests/cli/make_git_change.sh" && mv change.diff diff.tmp && rm change-u0.diff)
pair diff-basic "$root/tests/cli/reports/basic1.xml" "$out/diff.tmp" \
  "a.xml -md - -json - -diff b.xml -min-diff-ter 90"
pair diff-mcdc "$root/tests/cli/reports/mcdc1.xml" "$out/diff.tmp" "a.xml -md - -diff b.xml"
rm "$out/diff.tmp"
pair opts-ndl "$root/tests/cli/reports/basic1.xml" "$root/tests/cli/reports/basic2.xml" \
  'a.xml b.xml -ndl -p - -x -'
pair opts-chosen "$root/tests/cli/reports/mcdc1.xml" "$root/tests/cli/reports/mcdc2.xml" \
  'a.xml "b.xml" -f *.c;*.h -nf main.c -x -'
pair opts-unchosen "$root/tests/reader/data/headers.xml" "$root/tests/reader/data/run1.xml" \
  'a.xml	b.xml -nf *.h -p -'
if [ $# -ge 2 ]; then
  binary=$(realpath "$2")
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  state() {  # state NAME [FOLLOWING_REPORT [OPTIONS]] -- REPORTS... [SAVE OPTIONS]
    local name=$1 next=$2 options=$3
    shift 4
    (cd "$scratch" && "$binary" "$@" -m state.xml >/dev/null)
    { cat "$scratch/state.xml"
      if [ -n "$next" ]; then echo "$marker"; cat "$next"; fi
      if [ -n "$options" ]; then echo "$marker"; printf '%s\n' "$options"; fi
    } >"$out/$name"
  }
  r=$root/tests/cli/reports
  d=$root/tests/reader/data
  state state-basic "" "" -- "$r/basic1.xml" "$r/basic2.xml"
  state state-mcdc-then-report "$r/mcdc2.xml" "" -- "$r/mcdc1.xml" "$r/mcdc2.xml"
  state state-headers "$d/linedir.xml" "" -- "$d/headers.xml" "$d/run1.xml"
  state state-special "" "" -- "$r/special.xml" "$r/stretch.xml"
  state state-ndl-options "$r/stretch.xml" 'a.xml b.xml -ndl -f *.c -p - -x -' -- "$r/stretch.xml" -ndl
fi
echo "$(ls "$out" | wc -l) seeds in $out"
