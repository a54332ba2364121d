#!/usr/bin/env bash
# Builds everything and runs every test of both builds:
#   native tests (AddressSanitizer, UBSan), Windows tests under Wine on a
#   virtual display, and a short run of each fuzz target.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SPLITJOIN_BUILD:-$root/build}"

bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" all || exit 1

status=0
echo "== native tests =="
ctest --test-dir "$build/native" --output-on-failure -j"$(nproc)" || status=1

echo "== Windows tests (Wine) =="
. "$root/scripts/wine-env.sh"
sj_start_display
sj_start_wine
ctest --test-dir "$build/windows" --output-on-failure -j"$(nproc)" || status=1

if [ -x "$root/scripts/fuzz.sh" ]; then
    echo "== fuzz smoke runs =="
    bash "$root/scripts/fuzz.sh" smoke || status=1
fi

if [ $status -eq 0 ]; then echo "all test suites passed"; else echo "some tests FAILED"; fi
exit $status
