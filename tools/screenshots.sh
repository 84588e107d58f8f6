#!/usr/bin/env bash
# Pictures of the three tabs of the real window, taken offscreen, into docs/screenshots/.
# Run after building tq_window_tests in ./build-tests (the test command does).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/docs/screenshots"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen TQ_SCREENSHOT_DIR="$out" \
    "$top/build-tests/tests/ui/tq_window_tests" --gtest_filter='MainWindowScreenshots.*'
ls -l "$out"
