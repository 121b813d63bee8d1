#!/usr/bin/env bash
# Incremental merges must be exact: a run that continues from a merge state
# (-m) writes what the one run over all the reports writes, byte for byte.
#
#   split_merge_check.sh BINARY [--cases | --generated] [--dry]
#                        [--python PYTHON] [--generator GEN_REPORTS_PY]
#
# For reports r1 ... rn, every k from 1 to n and the one-run merge
#   BINARY r1 ... rn OPTIONS
# each split
#   BINARY r1 ... rk -m STATE [-ndl]           (the state of the first k reports)
#   BINARY STATE rk+1 ... rn OPTIONS           (for k = n: the state alone)
# must end with the same exit status, standard output, standard error and
# output files. Only the run time stamp and the summary XML's
# <kovxmlmerge_options> line (each run shows its own arguments) are masked.
#
# -ndl is recorded in the state, so it goes to both runs; the state records no
# chosen files, so -f and -nf are tried twice: on the continuing run only, and
# on both runs. Once per set (at k = 1) the state goes through standard
# output (-m -). Where there are three or more reports, a chain of runs adds
# one report at a time, each continuing from the state of the one before.
# Where -ndl is given, a continuing run whose -ndl differs from its state's
# must fail and write nothing.
#
# The runs that write a state are checked too: exit status 0, nothing on
# standard error, nothing but the state written (no output, no temporary
# file), and a well-formed XML document wherever all of its reports are.
#
# --cases      the end-to-end cases of tests/cli/cases that merge two or more
#              reports and write their outputs (exit status 0 or 3)
# --generated  small report sets of bench/gen_reports.py (structure changes,
#              both views, headers, #line stretches, drive letters, saturation)
# (neither: both parts)
# --dry        no -m run: every state is replaced by the reports it stands
#              for, so the script's own plumbing (arguments, masks, the
#              comparisons) can be tried with a binary that lacks -m; each
#              split then runs the one-run merge again and must match it.
#
# Prints one line per comparison and a summary; exits 1 on any difference.
set -u

usage() {
  echo "usage: $0 BINARY [--cases | --generated] [--dry] [--python PYTHON] [--generator GEN]" >&2
  exit 2
}
[ $# -ge 1 ] || usage
binary=$(realpath "$1") || usage
shift
here=$(dirname "$(realpath "$0")")
part=all
dry=
python=python3
generator=$here/../../bench/gen_reports.py
while [ $# -gt 0 ]; do
  case "$1" in
    --cases) part=cases ;;
    --generated) part=generated ;;
    --dry) dry=1 ;;
    --python) [ $# -ge 2 ] || usage; python=$2; shift ;;
    --generator) [ $# -ge 2 ] || usage; generator=$2; shift ;;
    *) usage ;;
  esac
  shift
done
[ -x "$binary" ] || { echo "not an executable: $binary" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
# Every run happens in this one folder (copied afresh from the set's
# template), so that nothing in an output can differ by the folder's name.
run=$scratch/run
# The state is kept outside the run folder: the run folder then holds exactly
# what the one-run merge's folder holds, and a stray file beside the state
# shows up on its own.
states=$scratch/states

checks=0
failures=0
skipped=()

# The masks of run_case.sh (the run time stamp of the listing, the summary XML,
# the Cobertura document and the JSON document), keep them in step with it;
# and the summary XML's line of the run's own arguments.
mask() {
  sed -E -e 's/^(Listing produced at   : ).{24}$/\1<run time stamp>/' \
         -e 's#^(\t\t<report_generated>).{24}(</report_generated>)$#\1<run time stamp>\2#' \
         -e 's/^(<coverage .* timestamp=")[0-9]+(">)$/\1<run time stamp>\2/' \
         -e 's/^(  "run_time_stamp": ").{24}(",)$/\1<run time stamp>\2/' \
         -e 's#^(\t\t<kovxmlmerge_options>).*(</kovxmlmerge_options>)$#\1<arguments of the run>\2#' "$1"
}

# Messages of the current comparison; a comparison fails when any is left.
problems=
problem() {  # problem TEXT...
  problems+="    $*"$'\n'
}
problem_diff() {  # problem_diff LABEL EXPECTED ACTUAL (masked diff head)
  local d
  d=$(diff -a -u --label "one run: $1" --label "split: $1" <(mask "$2") <(mask "$3") | head -n 20)
  [ -n "$d" ] || return 0
  problem "$1 differs:"
  problems+=$(sed 's/^/      /' <<<"$d")$'\n'
}
same_file() {  # same_file LABEL EXPECTED ACTUAL
  [ -s "$2" ] || [ -s "$3" ] || return 0  # both empty: the common case, no cmp
  cmp -s "$2" "$3" && return 0
  problem_diff "$@"
}

listing() {  # listing DIR: every entry with its type
  find "$1" -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort
}
status_of() {  # status_of FILE: the exit status a run left in FILE
  local status
  read -r status <"$1"
  echo "$status"
}

# The folder after a run against the one-run merge's folder: the same
# entries, every regular file the same after masking. (One diff -rq finds the
# files that differ in bytes; only those are masked and compared again.)
# ($one_listing is the listing of the one-run merge's folder.)
same_tree() {  # same_tree EXPECTED_DIR ACTUAL_DIR
  local got path
  got=$(listing "$2")
  if [ "$got" != "$one_listing" ]; then
    problem "the files written differ (< one run, > split):"
    problems+=$(diff <(echo "$one_listing") <(echo "$got") | head -n 20 | sed 's/^/      /')$'\n'
    return
  fi
  local line
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    if [[ $line =~ ^Files\ "$1"/(.*)\ and\ "$2"/(.*)\ differ$ ]] &&
       [ "${BASH_REMATCH[1]}" = "${BASH_REMATCH[2]}" ]; then
      path=${BASH_REMATCH[1]}
      same_file "$path" "$1/$path" "$2/$path"
    else
      problem "$line"
    fi
  done < <(LC_ALL=C diff -rq "$1" "$2" 2>&1)
}

# run_binary OUT WORDS...: one run in the run folder; OUT.stdout, OUT.stderr
# and OUT.status receive its results.
run_binary() {
  local out=$1
  shift
  (cd "$run" && "$binary" "$@") >"$out.stdout" 2>"$out.stderr" </dev/null
  echo $? >"$out.status"
}

report() {  # report LINE: ends one comparison
  checks=$((checks + 1))
  if [ -z "$problems" ]; then
    echo "ok   $1"
  else
    failures=$((failures + 1))
    echo "FAIL $1"
    printf '%s' "$problems"
  fi
  problems=
}

xml_ok() {  # xml_ok FILE...: all well-formed (when xmllint is at hand)
  xmllint --noout "$@" >/dev/null 2>&1
}
have_xmllint=
if command -v xmllint >/dev/null 2>&1; then
  have_xmllint=1
elif [ -n "${KOV_REQUIRE_XMLLINT:-}" ]; then
  echo "xmllint is missing"
  exit 1
fi

# write_state STATE WORDS...: a run that reads WORDS and writes the merge
# state STATE ("-" sends it to standard output, captured into
# $states/stdout.xml). It must write the state and nothing else.
# ($run_listing and $states_listing are the two folders' listings before the
# run: what fresh_run made, and the states written since.)
write_state() {
  local state=$1 target
  shift
  target=$state
  [ "$state" = - ] && target=$states/stdout.xml
  run_binary "$scratch/state_run" "$@" -m "$state"
  [ "$state" = - ] && mv "$scratch/state_run.stdout" "$target" && : >"$scratch/state_run.stdout"
  local status
  status=$(status_of "$scratch/state_run.status")
  [ "$status" = 0 ] || problem "writing the state ($*): exit status $status"
  if [ -s "$scratch/state_run.stderr" ]; then
    problem "writing the state ($*): standard error:"
    problems+=$(head -n 5 "$scratch/state_run.stderr" | sed 's/^/      /')$'\n'
  fi
  [ -s "$scratch/state_run.stdout" ] && problem "writing the state ($*): standard output is not empty"
  local after want
  after=$(listing "$run")
  [ "$after" = "$run_listing" ] ||
    problem "writing the state ($*): the run folder changed (< before, > after):" \
      "$(diff <(echo "$run_listing") <(echo "$after") | grep '^[<>]' | head -n 5 | tr '\n' ' ')"
  want=$(printf '%s\nf %s\n' "$states_listing" "${target#"$states"/}" | LC_ALL=C sort -u)
  want=${want#$'\n'}
  after=$(listing "$states")
  [ "$after" = "$want" ] ||
    problem "writing the state ($*): beside the state (< expected, > there):" \
      "$(diff <(echo "$want") <(echo "$after") | grep '^[<>]' | head -n 5 | tr '\n' ' ')"
  states_listing=$after
  [ -s "$target" ] || problem "writing the state ($*): the state is missing or empty"
  # Reports that are well-formed XML give a state that is too. (Some hostile
  # reports are not; what their state looks like is the writer's business.)
  if [ -n "$inputs_xml" ] && [ -s "$target" ] && ! xml_ok "$target"; then
    problem "the state of $* is not well-formed XML:"
    problems+=$(xmllint --noout "$target" 2>&1 | head -n 5 | sed 's/^/      /')$'\n'
  fi
}

# Compares the last continuing run ($scratch/split.*, run folder $run) with
# the one-run merge ($scratch/one.*, folder $scratch/one).
compare_with_one_run() {
  local want got
  want=$(status_of "$scratch/one.status")
  got=$(status_of "$scratch/split.status")
  [ "$got" = "$want" ] || problem "exit status $got, the one run's $want"
  same_file "standard output" "$scratch/one.stdout" "$scratch/split.stdout"
  same_file "standard error" "$scratch/one.stderr" "$scratch/split.stderr"
  same_tree "$scratch/one" "$run"
}

fresh_run() {  # a fresh run folder from the template, no states
  rm -rf "$run" "$states"
  cp -r "$template" "$run"
  mkdir "$states"
  run_listing=$template_listing
  states_listing=
}

# parse_words WORDS...: takes the arguments of a run apart into inputs (the
# reports), options (everything else, in order), reading (-ndl, -f, -nf: what
# a state-writing run may be given) and reading_ndl (-ndl alone). Returns 1,
# with skip_reason, for a word this script does not take apart.
parse_words() {
  inputs=() options=() reading=() reading_ndl=() ndl=
  local words=("$@") i=0 w
  while [ $i -lt ${#words[@]} ]; do
    w=${words[$i]}
    case "$w" in
      -p | -x | -cobertura | -lcov | -root | -min-ter | -f | -nf | -json | -sonar | -md | -min-statement)
        if [ $((i + 1)) -ge ${#words[@]} ]; then
          skip_reason="$w without its argument"
          return 1
        fi
        options+=("$w" "${words[$((i + 1))]}")
        case "$w" in -f | -nf) reading+=("$w" "${words[$((i + 1))]}") ;; esac
        i=$((i + 1)) ;;
      -ndl)
        options+=("$w"); reading+=("$w"); reading_ndl+=("$w"); ndl=1 ;;
      @*)
        # An options file is not expanded here: its tokens follow the
        # binary's own rules, which a second implementation in this script
        # could get subtly wrong (and no case with one merges two reports).
        skip_reason="an options file"
        return 1 ;;
      -*)
        # -m (the case's own state), -h, unknown options.
        skip_reason="the argument $w"
        return 1 ;;
      *) inputs+=("$w") ;;
    esac
    i=$((i + 1))
  done
  return 0
}

# check_set NAME TEMPLATE EXPECTED_STATUS WORDS...: the one-run merge of WORDS
# (run in a copy of TEMPLATE) against all its splits. EXPECTED_STATUS, where
# not empty, is what the one run must end with.
# Returns 1 (nothing checked) where WORDS merge fewer than two reports or hold
# a word this script does not take apart.
check_set() {
  local name=$1 expected=$3
  template=$2
  shift 3
  local words=("$@")
  if ! parse_words "${words[@]}"; then
    return 1
  fi
  local n=${#inputs[@]}
  if [ "$n" -lt 2 ]; then
    skip_reason="fewer than two reports"
    return 1
  fi

  inputs_xml=
  if [ -n "$have_xmllint" ] && (cd "$template" && xml_ok "${inputs[@]}"); then
    inputs_xml=1
  fi

  # The one-run merge.
  template_listing=$(listing "$template")
  fresh_run
  run_binary "$scratch/one" "${words[@]}"
  rm -rf "$scratch/one"
  mv "$run" "$scratch/one"
  one_listing=$(listing "$scratch/one")
  local status
  status=$(status_of "$scratch/one.status")
  if [ -n "$expected" ] && [ "$status" != "$expected" ]; then
    problem "the one-run merge ends with $status, the case expects $expected"
    report "$name: one-run merge"
    return 0
  fi
  if [ "$status" != 0 ] && [ "$status" != 3 ]; then
    problem "the one-run merge ends with $status:"
    problems+=$(head -n 5 "$scratch/one.stderr" | sed 's/^/      /')$'\n'
    report "$name: one-run merge"
    return 0
  fi

  # Without -f and -nf the two ways are one.
  local ways=(second)
  [ ${#reading[@]} -ne ${#reading_ndl[@]} ] && ways+=(both)
  local way first_opts label k
  for way in "${ways[@]}"; do
    if [ "$way" = both ]; then
      first_opts=("${reading[@]}")
      label=" (-f/-nf on both runs)"
    else
      first_opts=("${reading_ndl[@]}")
      label=
      [ ${#ways[@]} -gt 1 ] && label=" (-f/-nf on the continuing run only)"
    fi
    for k in $(seq 1 "$n"); do
      split_once "$k" "$states/state.xml"
      report "$name: k=$k/$n$label"
    done
    if [ "$way" = second ]; then
      split_once 1 -
      report "$name: k=1/$n, the state on standard output"
    fi
    if [ "$n" -ge 3 ]; then
      chain
      report "$name: chain of $n runs, one report each$label"
    fi
  done

  # (Only where the first input is a report: a case may start from a saved
  # state, whose own -ndl would make the state-writing run fail.)
  if [ -n "$ndl" ] && [ -z "$dry" ] &&
     head -n 20 "$template/${inputs[0]}" 2>/dev/null | grep -q '<kov_xml_report>'; then
    ndl_mismatch with
    report "$name: a state written with -ndl, continued without it, is refused"
    ndl_mismatch without
    report "$name: a state written without -ndl, continued with it, is refused"
  fi
  return 0
}

# The continuing run's words for a state of the first K reports in STATE.
# (In a dry run the reports themselves stand in for the state.)
continuing_words() {  # continuing_words K STATE_FILE: sets cont
  if [ -n "$dry" ]; then
    cont=("${inputs[@]:0:$1}")
  else
    cont=("$2")
  fi
  cont+=("${inputs[@]:$1}" "${options[@]}")
}

split_once() {  # split_once K STATE (a file in $states, or -)
  local k=$1 state=$2 file=$2
  fresh_run
  [ "$state" = - ] && file=$states/stdout.xml
  [ -z "$dry" ] && write_state "$state" "${inputs[@]:0:$k}" "${first_opts[@]}"
  continuing_words "$k" "$file"
  run_binary "$scratch/split" "${cont[@]}"
  compare_with_one_run
}

# r1 -m s1; s1 r2 -m s2; ...; s(n-1) rn OPTIONS: a continuing run's own
# state must again stand for every report read so far.
chain() {
  fresh_run
  local k
  if [ -z "$dry" ]; then
    write_state "$states/s1.xml" "${inputs[0]}" "${first_opts[@]}"
    for k in $(seq 2 $((n - 1))); do
      write_state "$states/s$k.xml" "$states/s$((k - 1)).xml" "${inputs[$((k - 1))]}" "${first_opts[@]}"
    done
  fi
  continuing_words $((n - 1)) "$states/s$((n - 1)).xml"
  run_binary "$scratch/split" "${cont[@]}"
  compare_with_one_run
}

# A continuing run whose -ndl differs from the state's: exit status 2, one
# diagnostic, and no output written.
ndl_mismatch() {  # ndl_mismatch with|without (-ndl when writing the state)
  fresh_run
  local first=() second=() w
  [ "$1" = with ] && first=(-ndl)
  for w in "${options[@]}"; do [ "$w" = -ndl ] || second+=("$w"); done
  [ "$1" = without ] && second+=(-ndl)
  write_state "$states/state.xml" "${inputs[0]}" "${first[@]}"
  run_binary "$scratch/split" "$states/state.xml" "${inputs[@]:1}" "${second[@]}"
  local status
  status=$(status_of "$scratch/split.status")
  [ "$status" = 2 ] || problem "exit status $status, not 2"
  if ! grep -q '^\*\*\* kovxmlmerge error [0-9]* ([0-9]*/[0-9]*): ' "$scratch/split.stderr" ||
     [ "$(wc -l <"$scratch/split.stderr")" != 1 ]; then
    problem "standard error is not one diagnostic: $(head -c 300 "$scratch/split.stderr")"
  fi
  [ -s "$scratch/split.stdout" ] && problem "standard output is not empty"
  local after
  after=$(listing "$run")
  [ "$after" = "$template_listing" ] ||
    problem "files were written:" "$(diff <(echo "$template_listing") <(echo "$after") | grep '^>' | head -n 5 | tr '\n' ' ')"
}

# Is CMD a plain list of arguments? Cases that are shell commands (a ";", a
# pipe, a redirection, a background job, "$" or a second line) check what
# happens around the run, not the merge; none of them merges two reports.
plain_arguments() {  # plain_arguments CMD
  local rest
  [[ $1 != *$'\n'* ]] || return 1
  rest=$(sed -E "s/'[^']*'//g" <<<"$1")
  case "$rest" in *'$'* | *'`'*) return 1 ;; esac
  rest=$(sed -E 's/"([^"\\]|\\.)*"//g' <<<"$rest")
  case "$rest" in *[\;\&\|\<\>\(\)]*) return 1 ;; esac
  return 0
}

check_cases() {
  local case_dir name expected cmd words
  for case_dir in "$here"/cases/*/; do
    case_dir=${case_dir%/}
    name=$(basename "$case_dir")
    expected=0
    [ -f "$case_dir/expected/status" ] && expected=$(status_of "$case_dir/expected/status")
    cmd=$(<"$case_dir/cmd")
    if ! plain_arguments "$cmd"; then
      skipped+=("$name (a shell command, not a list of arguments)")
      continue
    fi
    # Only runs that write their outputs can be split: a failing run (exit
    # status 2, such as first_error_wins_many_reports) or the usage text
    # (1) has no outputs to compare. The gate (3) writes them all. (Its
    # words are taken apart without expanding globs only to say so where it
    # names two reports.)
    if [ "$expected" != 0 ] && [ "$expected" != 3 ]; then
      words=()
      set -f
      eval "words=( $cmd )" 2>/dev/null
      set +f
      if parse_words "${words[@]}" && [ ${#inputs[@]} -ge 2 ]; then
        skipped+=("$name (exit status $expected, two or more reports)")
      else
        skipped+=("$name (exit status $expected)")
      fi
      continue
    fi
    # A file-size limit is there to make an output fail.
    if [ -f "$case_dir/ulimit" ]; then
      skipped+=("$name (ulimit)")
      continue
    fi
    template=$scratch/template
    rm -rf "$template"
    mkdir "$template"
    cp -r "$here/reports" "$template/reports"
    [ -d "$case_dir/in" ] && cp -r "$case_dir/in/." "$template/"
    # As in run_case.sh: a setup may run the binary (to save a state).
    if [ -f "$case_dir/setup" ] &&
       ! (cd "$template" && KOVXMLMERGE=$binary bash "$case_dir/setup" >/dev/null 2>&1); then
      if [ -n "$dry" ]; then
        # A binary without -m cannot make a case's state.
        skipped+=("$name (its setup failed in a dry run)")
      else
        problem "setup failed"
        report "$name"
      fi
      continue
    fi
    # The words as the shell of run_case.sh sees them, globs expanded in the
    # case's folder.
    words=()
    cd "$template" || exit 1
    if ! eval "words=( $cmd )" 2>/dev/null; then
      skipped+=("$name (its words do not parse)")
      cd "$scratch" || exit 1
      continue
    fi
    cd "$scratch" || exit 1
    skip_reason=
    check_set "$name" "$template" "$expected" "${words[@]}" || skipped+=("$name ($skip_reason)")
  done
}

# Small generated sets: five to seven reports of a few files each, so that
# every run takes milliseconds. The generator's reports are well-formed XML.
generate() {  # generate SET_NAME GENERATOR_ARGS...
  local dir=$scratch/sets/$1
  shift
  mkdir -p "$dir"
  "$python" "$generator" --out "$dir/gen" "$@" || return 1
  echo "$dir"
}
gen_inputs() {  # gen_inputs DIR: the generated reports, in order
  (cd "$1" && ls gen/run*.xml)
}
set_failed() {
  problem "the generator failed"
  report "$1"
}

check_generated() {
  if ! command -v "$python" >/dev/null 2>&1; then
    problem "$python is missing"
    report "generated sets"
    return
  fi
  if [ ! -f "$generator" ]; then
    problem "no generator at $generator"
    report "generated sets"
    return
  fi
  local small=(--files 3 --functions 4 --probes 24 --headers 3 --headers-per-file 2
               --header-functions 2)
  local dir inputs_list

  # MC/DC view: functions that change their structure between runs, headers,
  # #line stretches, every output.
  dir=$(generate mcdc "${small[@]}" --view mcdc --runs 6 --changed-share 0.3 \
        --stretch-share 0.06 --mcdc-share 0.2 --seed 11) || { set_failed mcdc; return; }
  mapfile -t inputs_list < <(gen_inputs "$dir")
  check_set "generated mcdc" "$dir" "" "${inputs_list[@]}" \
    -p out.txt -x out.xml -cobertura cobertura.xml -lcov coverage.info

  # As instrumented, files left out (-nf), -root, the listing on standard
  # output and a gate that fails by a fraction (TER 99 against 99.5: exit
  # status 3).
  dir=$(generate instrumented "${small[@]}" --view instrumented --runs 7 --changed-share 0.25 \
        --stretch-share 0.08 --seed 12) || { set_failed instrumented; return; }
  mapfile -t inputs_list < <(gen_inputs "$dir")
  check_set "generated instrumented" "$dir" 3 "${inputs_list[@]}" \
    -nf "src/part1/*;include/mod1/*" -p - -x out.xml -cobertura cobertura.xml \
    -lcov coverage.info -root src -min-ter 99.5

  # Decision view, chosen files (-f; the -nf is ignored beside it) that keep
  # some headers and the #line stretches' files.
  dir=$(generate decision "${small[@]}" --view decision --runs 5 --changed-share 0.4 \
        --stretch-share 0.1 --seed 13) || { set_failed decision; return; }
  mapfile -t inputs_list < <(gen_inputs "$dir")
  check_set "generated decision" "$dir" "" "${inputs_list[@]}" \
    -f "src/part0/*;*.def;include/mod2/*" -nf "*" -x out.xml -lcov coverage.info

  # Condition view with drive letters: the odd reports name their source
  # files C:/src/..., the even ones d:\src\... (in the <file> elements and
  # the #line directives alike), which merge only under -ndl.
  dir=$(generate ndl "${small[@]}" --view condition --runs 6 --changed-share 0.2 \
        --seed 14) || { set_failed ndl; return; }
  local f number
  for f in "$dir"/gen/run*.xml; do
    number=$(basename "$f" .xml)
    number=$((10#${number#run}))
    if [ $((number % 2)) = 1 ]; then
      sed -i 's#src/part#C:/src/part#g' "$f"
    else
      sed -i 's#src/part\([0-9]*\)/#d:\\src\\part\1\\#g' "$f"
    fi
  done
  mapfile -t inputs_list < <(gen_inputs "$dir")
  check_set "generated ndl" "$dir" "" "${inputs_list[@]}" \
    -ndl -p out.txt -x out.xml -cobertura cobertura.xml -lcov coverage.info -root /src

  # Counters near the limit: the generator has no switch for that, so every
  # one-digit counter N becomes 42949672N0 (at most 4294967290), and the sums
  # saturate at 4294967295 part-way through the set, before and after a
  # split. Counters of 0 and of two digits stay.
  dir=$(generate saturated "${small[@]}" --view mcdc --runs 5 --changed-share 0.2 \
        --stretch-share 0.05 --mcdc-share 0.2 --seed 15) || { set_failed saturated; return; }
  sed -E -i 's/count([12])="([1-9])"/count\1="42949672\20"/g' "$dir"/gen/run*.xml
  mapfile -t inputs_list < <(gen_inputs "$dir")
  check_set "generated saturated" "$dir" "" "${inputs_list[@]}" \
    -p out.txt -x out.xml -cobertura cobertura.xml -lcov coverage.info
}

cd "$scratch" || exit 1
[ "$part" = generated ] || check_cases
[ "$part" = cases ] || check_generated

if [ "$part" != generated ]; then
  # The failing runs that name two reports, by name on one line: their
  # number says enough, the rest by reason.
  failing=()
  for s in "${skipped[@]}"; do
    case "$s" in *"two or more reports)") failing+=("${s%% *}") ;; esac
  done
  echo "skipped cases: ${#skipped[@]} (fewer than two reports, no outputs, or not a plain command)"
  [ ${#failing[@]} = 0 ] || echo "  skipped, failing runs of two or more reports (exit status 2): ${failing[*]}"
  for s in "${skipped[@]}"; do
    case "$s" in
      *"fewer than two reports"* | *"exit status "[0-9]")" | *"two or more reports)") ;;
      *) echo "  skipped $s" ;;
    esac
  done
fi
mode=
[ -n "$dry" ] && mode=" (dry: no merge state was written)"
echo "split merge check$mode: $checks comparisons, $failures failed"
[ "$failures" = 0 ]
