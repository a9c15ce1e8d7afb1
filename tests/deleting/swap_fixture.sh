#!/bin/sh
# Makes, for the deleting window tests, what programs under Wine cannot make themselves: two
# names that differ only in case, and a folder swapped for a link to a folder outside the tree.
# The swap waits in the background for the test to ask for it (by making the file "swap-now"),
# so that it happens while the test's countdown runs; it gives up after a minute. Like every
# entry of the test run, it leaves a report where the count of cases reads it.
#
#   swap_fixture.sh FOLDER REPORT.xml
set -eu
fixture=$1
report=$2
rm -rf "$fixture"
mkdir -p "$fixture/case" "$fixture/outside" "$fixture/tree/docs"
printf 0123456789 > "$fixture/case/Case.txt"
printf 01234567890123456789 > "$fixture/case/case.txt"
printf precious > "$fixture/outside/precious.dat"
printf data > "$fixture/tree/docs/a.txt"
(
    tries=0
    while [ ! -e "$fixture/swap-now" ] && [ "$tries" -lt 600 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ -e "$fixture/swap-now" ]; then
        mv "$fixture/tree/docs" "$fixture/tree/docs-old"
        ln -s "$fixture/outside" "$fixture/tree/docs"
        touch "$fixture/swap-done"
    fi
) </dev/null >/dev/null 2>&1 &
mkdir -p "$(dirname "$report")"
echo '<testsuites><testsuite name="deleting_swap_fixture"><testcase name="make"/></testsuite></testsuites>' >"$report"
