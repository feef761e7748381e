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
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

ctest --preset test -j "$jobs" "$@"
