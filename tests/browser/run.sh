#!/usr/bin/env bash
# Runs the browser test of the HTML report (report_browser_test.js).
#   run.sh KOVXMLMERGE [--screenshot FILE.png]
# Needs node, the npm packages of package-lock.json (npm ci) and Chromium
# (Debian's chromium; KOV_CHROMIUM names another). Where one is missing the
# test is skipped (exit 77), or fails with KOV_REQUIRE_BROWSER=1 (or
# KOV_REQUIRE_NODE=1 for node and the packages), as CI sets them.
set -u
here=$(dirname "$(realpath "$0")")
repo=$(realpath "$here/../..")
binary=$(realpath "$1")
shift

missing() {  # missing WHAT REQUIRED_SWITCH...
  local what=$1
  shift
  for switch in "$@"; do
    if [ -n "$switch" ]; then
      echo "FAIL: $what"
      exit 1
    fi
  done
  echo "SKIP: $what"
  exit 77
}

command -v node >/dev/null 2>&1 ||
  missing "node is missing" "${KOV_REQUIRE_NODE:-}" "${KOV_REQUIRE_BROWSER:-}"
for package in playwright-core html-validate axe-core; do
  [ -d "$repo/node_modules/$package" ] ||
    missing "npm package $package is missing (npm ci)" "${KOV_REQUIRE_NODE:-}" "${KOV_REQUIRE_BROWSER:-}"
done
chromium=${KOV_CHROMIUM:-$(command -v chromium || command -v chromium-browser || true)}
[ -n "$chromium" ] && [ -x "$chromium" ] || missing "chromium is missing" "${KOV_REQUIRE_BROWSER:-}"

exec node "$here/report_browser_test.js" --binary "$binary" --repo "$repo" --chromium "$chromium" "$@"
