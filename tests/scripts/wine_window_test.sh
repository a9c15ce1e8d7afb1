#!/usr/bin/env bash
# The window scripts' account of a program that ends before its window appears: its exit status
# and the last lines it printed, from a stand-in for Wine that fails the way a broken start does.
#
#   wine_window_test.sh [REPORT.xml]   REPORT: where to write a report in GoogleTest's form
set -uo pipefail
report=${1:-}
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-window"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; rm -f "$rozovizov_program_log"' EXIT
cat >"$scratch/wine" <<'STUB'
#!/usr/bin/env bash
for line in $(seq 30); do echo "line $line of the start"; done
echo "err: the loader could not map the program" >&2
exit 3
STUB
chmod +x "$scratch/wine"
rozovizov_wine="$scratch/wine"
# No display: the stand-in makes no window, so only its end can stop the wait.
unset DISPLAY

failures=0
expect() {
    if ! grep -qF -- "$1" "$scratch/said"; then
        echo "FAIL: expected \"$1\" in what the script said:" >&2
        cat "$scratch/said" >&2
        failures=$((failures + 1))
    fi
}

start_program
if wait_for_window 20 >"$scratch/window" 2>"$scratch/said"; then
    echo "FAIL: a window was reported for a program that ended" >&2
    failures=$((failures + 1))
fi
expect "the program ended before its window appeared (exit status 3)"
expect "err: the loader could not map the program"
expect "line 30 of the start"
if grep -qF "line 5 of the start" "$scratch/said"; then
    echo "FAIL: more than the last lines were printed" >&2
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] && echo "passed"
if [ -n "$report" ]; then
    mkdir -p "$(dirname "$report")"
    failure=""
    [ "$failures" -eq 0 ] || failure="<failure message=\"$failures expectations failed\"/>"
    cat >"$report" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="1" failures="$((failures > 0))" name="AllTests">
  <testsuite name="WineWindowScript" tests="1" failures="$((failures > 0))">
    <testcase name="AProgramThatEndsBeforeItsWindowIsExplained" status="run" result="completed">$failure</testcase>
  </testsuite>
</testsuites>
XML
fi
exit "$failures"
