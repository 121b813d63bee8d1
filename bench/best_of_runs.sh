# Sourced by the cost scripts of bench/. best THREADS REPORTS... runs every
# command of the array `commands` (the words after the reports) `runs` times,
# interleaved so that background load hits them alike, with "$binary" and
# KOVXMLMERGE_THREADS=THREADS, and prints the best wall time of each command
# in microseconds, one a line, in the order of `commands`.
best() {
  local threads=$1
  shift
  local -a times
  local i c start end
  for c in "${!commands[@]}"; do times[c]=999999999; done
  for ((i = 0; i < runs; i++)); do
    for c in "${!commands[@]}"; do
      start=$(date +%s%N)
      # shellcheck disable=SC2086  # the command's words
      KOVXMLMERGE_THREADS=$threads "$binary" "$@" ${commands[c]} >/dev/null
      end=$(date +%s%N)
      (( (end - start) / 1000 < times[c] )) && times[c]=$(( (end - start) / 1000 ))
    done
  done
  printf '%s\n' "${times[@]}"
}
