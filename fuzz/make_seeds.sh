#!/usr/bin/env bash
# Builds the fuzzer's seed corpus in DIR from the repository's reports: every
# report alone, the pairs that merge, and runs through an options file.
#
#   fuzz/make_seeds.sh DIR
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
pair opts-ndl "$root/tests/cli/reports/basic1.xml" "$root/tests/cli/reports/basic2.xml" \
  'a.xml b.xml -ndl -p - -x -'
pair opts-chosen "$root/tests/cli/reports/mcdc1.xml" "$root/tests/cli/reports/mcdc2.xml" \
  'a.xml "b.xml" -f *.c;*.h -nf main.c -x -'
pair opts-unchosen "$root/tests/reader/data/headers.xml" "$root/tests/reader/data/run1.xml" \
  'a.xml	b.xml -nf *.h -p -'
echo "$(ls "$out" | wc -l) seeds in $out"
