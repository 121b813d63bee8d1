#!/bin/bash
# Builds kovxmlmerge (Release) in build-bench/, generates the benchmark
# reports under $KOV_BENCH_DIR (default /tmp/kovbench; about 6.5 GB, reused by
# later runs) and prints the measurements as Markdown tables: throughput, the
# 20 x 25 MB case in every report layout, the thread balance of the
# two-thread runs, memory, the merge state and the scaling cases.
#   bench/run.sh [harness options, e.g. --quick, --repeat 5, --baseline OLD_BINARY,
#                 --reference OLD_BINARY, --skip memory,state,scaling]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build-bench" -j2 --target kovxmlmerge > /dev/null
exec python3 "$root/bench/harness.py" --bin "$root/build-bench/kovxmlmerge" \
  --work "${KOV_BENCH_DIR:-/tmp/kovbench}" "$@"
