#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer test build and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps

jobs=$(nproc)
cmake --preset test >/dev/null
cmake --build --preset test -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=1"
export QT_QPA_PLATFORM=offscreen

status=0
ctest --preset test -j "$jobs" "$@" || status=$?

# Which leak suppressions matched, from the full test log.
log=build/test/Testing/Temporary/LastTest.log
if [ -f "$log" ] && grep -q "Suppressions used" "$log"; then
  echo "Leak suppressions that matched (see $log):"
  grep -A20 "Suppressions used" "$log" | grep -E "^ +[0-9]+ +[0-9]+ " | sort | uniq -c || true
else
  echo "No leak suppression matched."
fi
exit $status
