#!/usr/bin/env bash
# Every layout a report writer may use reads alike: one program's reports
# written with blanks, tabs, tabs and blanks, or no indentation, with LF or
# CR LF line ends, with a probe's optional attributes after or before its
# description, or with every probe's attributes in a random order, merge to
# the outputs of the reports in the first layout, byte for byte (only the run
# time stamp masked). So does a merge of reports in different layouts. The
# outputs of the first layout are checked with xmllint.
#
#   layout_check.sh BINARY [--python PYTHON] [--generator GEN_REPORTS_PY]
#
# Prints one line per layout; exits 1 on any difference.
set -u

usage() {
  echo "usage: $0 BINARY [--python PYTHON] [--generator GEN]" >&2
  exit 2
}
[ $# -ge 1 ] || usage
binary=$(realpath "$1") || usage
shift
here=$(dirname "$(realpath "$0")")
python=python3
generator=$here/../../bench/gen_reports.py
while [ $# -gt 0 ]; do
  case "$1" in
    --python) [ $# -ge 2 ] || usage; python=$2; shift ;;
    --generator) [ $# -ge 2 ] || usage; generator=$2; shift ;;
    *) usage ;;
  esac
  shift
done
[ -x "$binary" ] || { echo "not an executable: $binary" >&2; exit 2; }
command -v "$python" >/dev/null 2>&1 || { echo "FAIL: $python is missing"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The masks of run_case.sh: the run time stamps of the listing, the summary
# XML and the Cobertura document.
mask() {
  sed -E -e 's/^(Listing produced at   : ).{24}$/\1<run time stamp>/' \
         -e 's#^(\t\t<report_generated>).{24}(</report_generated>)$#\1<run time stamp>\2#' \
         -e 's/^(<coverage .* timestamp=")[0-9]+(">)$/\1<run time stamp>\2/' "$1"
}

# A small program in MC/DC view: headers, #line stretches, decisions with
# eval_no, functions that change their structure between runs.
program=(--files 3 --functions 4 --probes 24 --headers 3 --headers-per-file 2
         --header-functions 2 --view mcdc --runs 3 --changed-share 0.3
         --stretch-share 0.06 --mcdc-share 0.2 --seed 21)
layouts=(
  "blanks:"
  "tabs:--indent tabs"
  "tabs and blanks:--indent mixed"
  "no indentation:--indent none"
  "CR LF:--line-ends crlf"
  "optional attributes first:--attribute-order descr-last --subcond-no"
  "optional attributes last:--subcond-no"
  "attributes in any order:--attribute-order shuffled --subcond-no"
  "tabs, CR LF, optional attributes first:--indent tabs --line-ends crlf --attribute-order descr-last --subcond-no"
)
outputs=(out.txt out.xml cobertura.xml coverage.info)

failures=0
run_set() {  # run_set DIR: the merge of the set's reports in DIR
  (cd "$1" && "$binary" run001.xml run002.xml run003.xml -p out.txt -x out.xml \
     -cobertura cobertura.xml -lcov coverage.info) >"$1.stdout" 2>"$1.stderr"
  echo $? >"$1.status"
}
compare() {  # compare LABEL DIR: DIR's run against the first layout's
  local problems= f
  [ "$(cat "$2.status")" = 0 ] || problems+=" exit status $(cat "$2.status");"
  [ -s "$2.stderr" ] && problems+=" standard error: $(head -c 200 "$2.stderr");"
  for f in "${outputs[@]}"; do
    if ! cmp -s <(mask "$reference/$f") <(mask "$2/$f"); then
      problems+=" $f differs: $(diff <(mask "$reference/$f") <(mask "$2/$f") | head -n 3 | tr '\n' ' ');"
    fi
  done
  if [ -z "$problems" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1:$problems"
    failures=$((failures + 1))
  fi
}

reference=
index=0
for entry in "${layouts[@]}"; do
  label=${entry%%:*}
  read -r -a options <<<"${entry#*:}"
  dir=$scratch/set$index
  index=$((index + 1))
  if ! "$python" "$generator" --out "$dir" "${program[@]}" "${options[@]}" >/dev/null; then
    echo "FAIL $label: the generator failed"
    failures=$((failures + 1))
    continue
  fi
  run_set "$dir"
  if [ -z "$reference" ]; then
    reference=$dir
    if [ "$(cat "$dir.status")" != 0 ]; then
      echo "FAIL $label: exit status $(cat "$dir.status"): $(head -c 300 "$dir.stderr")"
      exit 1
    fi
    if command -v xmllint >/dev/null 2>&1; then
      xmllint --noout "$dir/out.xml" "$dir/cobertura.xml" || { echo "FAIL: not well-formed XML"; exit 1; }
    elif [ -n "${KOV_REQUIRE_XMLLINT:-}" ]; then
      echo "FAIL: xmllint is missing"
      exit 1
    fi
    echo "ok   $label (the reference)"
    continue
  fi
  compare "$label" "$dir"
done

# One report of each of three layouts in one merge: tabs, CR LF and any
# order.
mixed=$scratch/mixed
mkdir "$mixed"
cp "$scratch/set1/run001.xml" "$mixed/"
cp "$scratch/set4/run002.xml" "$mixed/"
cp "$scratch/set7/run003.xml" "$mixed/"
run_set "$mixed"
compare "reports of three layouts in one merge" "$mixed"

echo "layout check: ${#layouts[@]} layouts and one mixed merge, $failures failed"
[ "$failures" = 0 ]
