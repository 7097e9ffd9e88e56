#!/usr/bin/env bash
# Builds everything and runs every test: the normal build (warnings are
# errors) and a second build with AddressSanitizer and
# UndefinedBehaviorSanitizer (its warnings are the normal build's, and the
# sanitizers make some of the compiler's bounds warnings misfire, so they
# are not errors there). Usage: scripts/test.sh [--no-sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
kovesk_require $KOVESK_PACKAGES

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== normal build" >&2
run_suite build -DKOVESK_WERROR=ON
if [ "${1:-}" != "--no-sanitize" ]; then
    echo "== sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)" >&2
    ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        run_suite build-asan -DKOVESK_SANITIZE=ON
fi
