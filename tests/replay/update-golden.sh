#!/bin/sh
# Regenerates the expected outputs of the golden tests from the current
# program: runs the golden tests of BUILD_DIR (default: build) with
# KOVESK_UPDATE_GOLDEN set, which makes each write its expected files.
#
# The result is what the code prints, not what it should print: review
# every changed file (git diff tests/replay/golden) before committing it.
set -eu
build_dir=${1:-build}
KOVESK_UPDATE_GOLDEN=1 ctest --test-dir "$build_dir" -R '^replay\.golden\.' --output-on-failure
git -C "$(dirname "$0")" status --short -- golden
