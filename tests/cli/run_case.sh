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
#   setup            bash run in the scratch folder before the run (optional);
#                    $KOVXMLMERGE names the binary, for a case that continues
#                    from what an earlier run saved; $KOV_REPO the repository
#                    (for the sources of examples/); $KOV_CLI_DIR this
#                    folder, for the helpers in it
#   ulimit           arguments of ulimit for the run, such as "-f 1" (optional)
#   expected/status  the exit status (0 where missing)
#   expected/stdout, expected/stderr   (empty where missing)
#   expected/files/  every output file, as it must be after the run (an
#                    output directory, such as the HTML report, as its files);
#                    a file that holds only "@asset NAME" must be the HTML
#                    report's asset src/writers/html/assets/NAME, byte for
#                    byte (the style sheet, the script and the icon, which
#                    every report holds, are not copied into every case)
# The shared reports of tests/cli/reports are copied to reports/ first. After
# the run, the scratch folder must hold nothing but what was there before and
# the expected output files (no stray or temporary files).
#
# Output files are also read by the programs that consume them: every *.xml
# with xmllint; a Cobertura document (an XML file whose DOCTYPE is coverage)
# is validated against formats/coverage-04.dtd; every lcov tracefile (*.info)
# must pass `lcov --summary` without a warning and render with
# `genhtml --no-source`; and where a case writes one of each, their line,
# function and branch totals must agree. A SonarQube document (an XML file
# whose root is <coverage version="1">) is validated against
# formats/sonar-generic-coverage.xsd, and its line and branch totals must be
# the Cobertura document's of the same run. Every JSON document (*.json) is
# validated against schema/kovxmlmerge-coverage.schema.json with ajv
# (check_json.js), its figures compared with the summary XML of the same run;
# every Markdown summary (*.md) is rendered with markdown-it and its table
# checked (check_markdown.js), against the JSON document of the same run.
# Every HTML page (*.html) must pass html-validate (npm, pinned in the
# repository's package-lock.json) with its html-validate:standard preset.
# KOV_REQUIRE_XMLLINT=1, KOV_REQUIRE_LCOV=1 and KOV_REQUIRE_NODE=1 (set in
# CI) turn a missing program into a failure.
# KOV_SKIP_CONSUMERS=1 leaves these checks out: the byte comparison already
# ties the outputs to expectations that the consumers accepted in another
# run (the one-thread and sanitizer runs of the same cases use it).
set -u
binary=$(realpath "$1")
case_dir=$(realpath "$2")
update=${3:-}
here=$(dirname "$(realpath "$0")")
assets=$(realpath "$here/../../src/writers/html/assets")

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
cp -r "$here/reports" "$scratch/reports"
[ -d "$case_dir/in" ] && cp -r "$case_dir/in/." "$scratch/"
cd "$scratch" || exit 1
if [ -f "$case_dir/setup" ]; then
  KOVXMLMERGE=$binary KOV_REPO=$(realpath "$here/../..") KOV_CLI_DIR=$here bash "$case_dir/setup" ||
    { echo "setup failed"; exit 1; }
fi
before=$(find . -mindepth 1 | sort)
before_sums=$(find . -type f -exec md5sum {} + | sort)

mask() {
  sed -E -e 's/^(Listing produced at   : ).{24}$/\1<run time stamp>/' \
         -e 's#^(\t\t<report_generated>).{24}(</report_generated>)$#\1<run time stamp>\2#' \
         -e 's/^(<coverage .* timestamp=")[0-9]+(">)$/\1<run time stamp>\2/' \
         -e 's/^(  "run_time_stamp": ").{24}(",)$/\1<run time stamp>\2/' \
         -e 's#(<span class="stamp">).{24}(</span>)#\1<run time stamp>\2#g' "$1"
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
  rm -rf "$case_dir/expected/files.old"
  [ -d "$case_dir/expected/files" ] && mv "$case_dir/expected/files" "$case_dir/expected/files.old"
  echo "$status" >"$case_dir/expected/status"
  mask .stdout >"$case_dir/expected/stdout"
  cp .stderr "$case_dir/expected/stderr"
  # Recorded: what the run created, what it changed, and what the case
  # already expects (a file that must come through the run unchanged).
  after_sums=$(find . -type f ! -name .stdout ! -name .stderr -exec md5sum {} + | sort)
  recorded=$( (comm -13 <(echo "$before") <(echo "$after")
               comm -13 <(echo "$before_sums") <(echo "$after_sums") | sed -E 's/^[0-9a-f]+  //'
               [ -d "$case_dir/expected/files.old" ] && (cd "$case_dir/expected/files.old" && find . -type f)
             ) | sort -u)
  rm -rf "$case_dir/expected/files.old"
  while IFS= read -r f; do
    [ -n "$f" ] && [ -f "$f" ] || continue
    mkdir -p "$case_dir/expected/files/$(dirname "$f")"
    asset="$assets/$(basename "$f")"
    if [ -f "$asset" ] && cmp -s "$f" "$asset"; then
      echo "@asset $(basename "$f")" >"$case_dir/expected/files/$f"
    else
      mask "$f" >"$case_dir/expected/files/$f"
    fi
  done <<<"$recorded"
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
  if [ -f "$2" ] && [ "$(head -c 7 "$2")" = "@asset " ]; then
    want="$assets/$(sed -n '1s/^@asset //p' "$2")"
  fi
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
done <<<"$wanted_files"

check_consumers() {
while IFS= read -r f; do
  [ -n "$f" ] && [ -f "$f" ] || continue
  case "$f" in
    *.xml)
      if command -v xmllint >/dev/null 2>&1; then
        xmllint --noout "$f" || fail "output $f is not well-formed XML"
      elif [ -n "${KOV_REQUIRE_XMLLINT:-}" ]; then
        fail "xmllint is missing"
      fi ;;
  esac
done <<<"$wanted_files"

# The pages of an HTML report, read by an HTML validator.
html_pages=()
while IFS= read -r f; do
  [ -n "$f" ] && [ -f "$f" ] && [[ $f == *.html ]] && html_pages+=("$f")
done <<<"$wanted_files"
validator=$here/../../node_modules/.bin/html-validate
if [ ${#html_pages[@]} -gt 0 ]; then
  if command -v node >/dev/null 2>&1 && [ -x "$validator" ]; then
    if ! out=$("$validator" --preset standard "${html_pages[@]}" 2>&1); then
      fail "html-validate does not accept the pages"
      echo "$out" | head -n 30
    fi
  elif [ -n "${KOV_REQUIRE_NODE:-}" ]; then
    fail "node or html-validate is missing (npm ci)"
  fi
fi

# The consumers of the CI exports.
formats=$here/formats
have() {  # have PROGRAM REQUIRED_SWITCH
  command -v "$1" >/dev/null 2>&1 && return 0
  [ -n "$2" ] && fail "$1 is missing"
  return 1
}
xmllint_cobertura() {  # xmllint ARGS... with the DTD's URL resolved to the local copy
  XML_CATALOG_FILES=$formats/catalog.xml xmllint --nonet "$@"
}
cobertura_files=()
tracefiles=()
sonar_files=()
summary_files=()
json_files=()
markdown_files=()
while IFS= read -r f; do
  [ -n "$f" ] && [ -f "$f" ] || continue
  case "$f" in
    *.info) tracefiles+=("$f") ;;
    *.json) json_files+=("$f") ;;
    *.md) markdown_files+=("$f") ;;
    *.xml)
      second=$(sed -n 2p "$f")
      case "$second" in
        '<!DOCTYPE coverage '*) cobertura_files+=("$f") ;;
        '<coverage version="1">') sonar_files+=("$f") ;;
      esac
      [ "$(sed -n 3p "$f")" = '<kov_xmlmerge_report>' ] && summary_files+=("$f") ;;
  esac
done <<<"$wanted_files"

for f in "${cobertura_files[@]}"; do
  have xmllint "${KOV_REQUIRE_XMLLINT:-}" || break
  if ! out=$(xmllint_cobertura --noout --dtdvalid "$formats/coverage-04.dtd" "$f" 2>&1) ||
     [ -n "$out" ]; then
    fail "output $f is not a valid Cobertura document"
    echo "$out" | head -n 20
  fi
done

# "H F" of one kind in the output of lcov --summary ("no data found" is 0 0).
lcov_totals() {  # lcov_totals SUMMARY KIND
  local row counts='\(([0-9]+) of ([0-9]+) '
  row=$(grep -E "^ *$2\.+: " <<<"$1")
  if [[ $row =~ $counts ]]; then
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
  else
    echo "0 0"
  fi
}
lcov_summary=""
for f in "${tracefiles[@]}"; do
  have lcov "${KOV_REQUIRE_LCOV:-}" || break
  # A run without records writes an empty tracefile, which lcov refuses to read.
  [ -s "$f" ] || continue
  if ! lcov_summary=$(lcov --summary "$f" --rc lcov_branch_coverage=1 2>&1) ||
     grep -qi 'warning' <<<"$lcov_summary"; then
    fail "lcov --summary does not accept $f"
    echo "$lcov_summary" | head -n 20
  fi
  html=$(mktemp -d)
  if ! out=$(genhtml --no-source --branch-coverage --quiet -o "$html" "$f" 2>&1) ||
     grep -qi 'warning' <<<"$out"; then
    fail "genhtml does not render $f"
    echo "$out" | head -n 20
  fi
  rm -rf "$html"
done

# The SonarQube document against its schema, and its totals against the
# Cobertura document of the same run (lines numbered 0, which SonarQube
# refuses, are the only ones it leaves out).
for f in "${sonar_files[@]}"; do
  have xmllint "${KOV_REQUIRE_XMLLINT:-}" || break
  if ! out=$(xmllint --nonet --noout --schema "$formats/sonar-generic-coverage.xsd" "$f" 2>&1) ||
     [ "$out" != "$f validates" ]; then
    fail "output $f is not a valid SonarQube generic coverage document"
    echo "$out" | head -n 20
  fi
done
if [ ${#cobertura_files[@]} = 1 ] && [ ${#sonar_files[@]} = 1 ] && have xmllint "${KOV_REQUIRE_XMLLINT:-}"; then
  cob=${cobertura_files[0]}
  sonar=${sonar_files[0]}
  cob_xpath() { xmllint_cobertura --xpath "$1" "$cob" 2>/dev/null; }
  sonar_xpath() { xmllint --xpath "$1" "$sonar" 2>/dev/null; }
  # Branches of the Cobertura lines numbered 0: "50% (1/2)" -> covered valid.
  zero_branches=$(cob_xpath '//class/lines/line[@number="0"]/@condition-coverage' |
    sed -nE 's/.*\(([0-9]+)\/([0-9]+)\).*/\1 \2/p' | awk '{c+=$1; v+=$2} END {print c+0, v+0}')
  read -r zero_bc zero_bv <<<"$zero_branches"
  cob_totals="$(( $(cob_xpath 'string(/coverage/@lines-covered)') - $(cob_xpath 'count(//class/lines/line[@number="0" and @hits!="0"])') ))"
  cob_totals+=" $(( $(cob_xpath 'string(/coverage/@lines-valid)') - $(cob_xpath 'count(//class/lines/line[@number="0"])') ))"
  cob_totals+=" $(( $(cob_xpath 'string(/coverage/@branches-covered)') - zero_bc ))"
  cob_totals+=" $(( $(cob_xpath 'string(/coverage/@branches-valid)') - zero_bv ))"
  sonar_totals="$(sonar_xpath 'count(//lineToCover[@covered="true"])') $(sonar_xpath 'count(//lineToCover)')"
  sonar_totals+=" $(sonar_xpath 'sum(//lineToCover/@coveredBranches)') $(sonar_xpath 'sum(//lineToCover/@branchesToCover)')"
  [ "$sonar_totals" = "$cob_totals" ] ||
    fail "SonarQube counts $sonar_totals (lines covered, valid; branches covered, valid), Cobertura $cob_totals"
fi

# The JSON documents against their schema (and the summary XML of the run),
# the Markdown summaries as markdown-it renders them (and against the JSON).
if [ ${#json_files[@]} -gt 0 ] || [ ${#markdown_files[@]} -gt 0 ]; then
  if have node "${KOV_REQUIRE_NODE:-}"; then
    if ! (cd "$here" && node -e "require.resolve('ajv/dist/2020'); require.resolve('markdown-it')") 2>/dev/null; then
      [ -n "${KOV_REQUIRE_NODE:-}" ] && fail "ajv or markdown-it is missing (npm ci)"
    else
      summary_arg=()
      [ ${#summary_files[@]} = 1 ] && summary_arg=(--summary "${summary_files[0]}")
      for f in "${json_files[@]}"; do
        out=$(node "$here/check_json.js" "$here/../../schema/kovxmlmerge-coverage.schema.json" "$f" \
              "${summary_arg[@]}" 2>&1) || { fail "output $f: the JSON check fails"; echo "$out" | head -n 20; }
      done
      json_arg=()
      [ ${#json_files[@]} = 1 ] && json_arg=(--json "${json_files[0]}")
      for f in "${markdown_files[@]}"; do
        out=$(node "$here/check_markdown.js" "$f" "${json_arg[@]}" 2>&1) ||
          { fail "output $f: the Markdown check fails"; echo "$out" | head -n 20; }
      done
    fi
  fi
fi

# The same numbers in both exports of one run.
if [ ${#cobertura_files[@]} = 1 ] && [ ${#tracefiles[@]} = 1 ] && [ -n "$lcov_summary" ]; then
  cob=${cobertura_files[0]}
  xpath() { xmllint_cobertura --xpath "$1" "$cob" 2>/dev/null; }
  # A dashboard counts a method as covered where any of its lines ran.
  cob_lines="$(xpath 'string(/coverage/@lines-covered)') $(xpath 'string(/coverage/@lines-valid)')"
  cob_functions="$(xpath 'count(//method[lines/line[@hits!="0"]])') $(xpath 'count(//method)')"
  cob_branches="$(xpath 'string(/coverage/@branches-covered)') $(xpath 'string(/coverage/@branches-valid)')"
  for kind in lines functions branches; do
    var=cob_$kind
    got=$(lcov_totals "$lcov_summary" "$kind")
    [ "$got" = "${!var}" ] || fail "$kind: lcov counts $got (hit, found), Cobertura ${!var}"
  done
fi

}
[ -n "${KOV_SKIP_CONSUMERS:-}" ] || check_consumers

# Nothing else may have appeared: no unexpected output, no temporary file.
expected_after=$(printf '%s\n%s\n' "$before" "$(while IFS= read -r f; do
  [ -n "$f" ] || continue
  d=$(dirname "$f"); while [ "$d" != . ]; do echo "$d"; d=$(dirname "$d"); done; echo "$f"; done <<<"$wanted_files")" |
  sed '/^$/d' | sort -u)
extra=$(comm -13 <(echo "$expected_after") <(echo "$after" | sed '/^$/d'))
[ -z "$extra" ] || fail "unexpected files after the run: $extra"

exit $failed
