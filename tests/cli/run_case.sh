#!/usr/bin/env bash
# Runs one end-to-end case: the real binary in a scratch folder, its standard
# output, standard error, exit status and output files compared byte for byte
# with the case's expectations. Only the run time stamp is masked.
#
#   run_case.sh BINARY CASE_DIR [--update]
#
# A case folder holds:
#   cmd              the arguments, as shell words (run in the scratch folder)
#   in/              files copied into the scratch folder (optional)
#   setup            bash run in the scratch folder before the run (optional)
#   ulimit           arguments of ulimit for the run, such as "-f 1" (optional)
#   expected/status  the exit status (0 where missing)
#   expected/stdout, expected/stderr   (empty where missing)
#   expected/files/  every output file, as it must be after the run
# The shared reports of tests/cli/reports are copied to reports/ first. After
# the run, the scratch folder must hold nothing but what was there before and
# the expected output files (no stray or temporary files).
set -u
binary=$(realpath "$1")
case_dir=$(realpath "$2")
update=${3:-}
here=$(dirname "$(realpath "$0")")

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
cp -r "$here/reports" "$scratch/reports"
[ -d "$case_dir/in" ] && cp -r "$case_dir/in/." "$scratch/"
cd "$scratch" || exit 1
if [ -f "$case_dir/setup" ]; then
  bash "$case_dir/setup" || { echo "setup failed"; exit 1; }
fi
before=$(find . -mindepth 1 | sort)

mask() {
  sed -E -e 's/^(Listing produced at   : ).{24}$/\1<run time stamp>/' \
         -e 's#^(\t\t<report_generated>).{24}(</report_generated>)$#\1<run time stamp>\2#' "$1"
}

args=$(cat "$case_dir/cmd")
limits=
[ -f "$case_dir/ulimit" ] && limits=$(cat "$case_dir/ulimit")
(
  [ -z "$limits" ] || ulimit $limits || exit 99
  eval "\"\$binary\" $args"
) >"$scratch/.stdout" 2>"$scratch/.stderr" </dev/null
status=$?
after=$(find . -mindepth 1 ! -name .stdout ! -name .stderr | sort)

if [ "$update" = "--update" ]; then
  mkdir -p "$case_dir/expected"
  rm -rf "$case_dir/expected/files"
  echo "$status" >"$case_dir/expected/status"
  mask .stdout >"$case_dir/expected/stdout"
  cp .stderr "$case_dir/expected/stderr"
  while IFS= read -r f; do
    [ -f "$f" ] || continue
    mkdir -p "$case_dir/expected/files/$(dirname "$f")"
    mask "$f" >"$case_dir/expected/files/$f"
  done < <(comm -13 <(echo "$before") <(echo "$after"))
  [ -s "$case_dir/expected/stdout" ] || rm "$case_dir/expected/stdout"
  [ -s "$case_dir/expected/stderr" ] || rm "$case_dir/expected/stderr"
  [ "$status" = 0 ] && rm "$case_dir/expected/status"
  echo "updated $case_dir"
  exit 0
fi

failed=0
fail() { echo "FAIL: $*"; failed=1; }

expected_status=0
[ -f "$case_dir/expected/status" ] && expected_status=$(cat "$case_dir/expected/status")
[ "$status" = "$expected_status" ] || fail "exit status $status, expected $expected_status"

compare() {  # compare ACTUAL EXPECTED_FILE_OR_EMPTY LABEL
  local want=/dev/null
  [ -f "$2" ] && want=$2
  if ! diff -u "$want" <(mask "$1") >"$scratch/.diff" 2>&1; then
    fail "$3 differs"
    head -n 40 "$scratch/.diff"
  fi
}
compare .stdout "$case_dir/expected/stdout" "stdout"
compare .stderr "$case_dir/expected/stderr" "stderr"

wanted_files=""
if [ -d "$case_dir/expected/files" ]; then
  wanted_files=$(cd "$case_dir/expected/files" && find . -type f | sort)
fi
while IFS= read -r f; do
  [ -n "$f" ] || continue
  if [ ! -e "$f" ]; then fail "output $f missing"; continue; fi
  compare "$f" "$case_dir/expected/files/$f" "output $f"
  case "$f" in
    *.xml)
      if command -v xmllint >/dev/null 2>&1; then
        xmllint --noout "$f" || fail "output $f is not well-formed XML"
      elif [ -n "${KOV_REQUIRE_XMLLINT:-}" ]; then
        fail "xmllint is missing"
      fi ;;
  esac
done <<<"$wanted_files"

# Nothing else may have appeared: no unexpected output, no temporary file.
expected_after=$(printf '%s\n%s\n' "$before" "$(while IFS= read -r f; do
  [ -n "$f" ] || continue
  d=$(dirname "$f"); while [ "$d" != . ]; do echo "$d"; d=$(dirname "$d"); done; echo "$f"; done <<<"$wanted_files")" |
  sed '/^$/d' | sort -u)
extra=$(comm -13 <(echo "$expected_after") <(echo "$after" | sed '/^$/d'))
[ -z "$extra" ] || fail "unexpected files after the run: $extra"

exit $failed
