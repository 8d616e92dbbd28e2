#!/usr/bin/env bash
# Installs what the tests need, then builds and runs every test:
# the release build; the unit tests, protocol sessions and a short match in
# xboard under AddressSanitizer and UndefinedBehaviorSanitizer; the threaded
# tests under ThreadSanitizer; and every fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v python3 >/dev/null || need+=(python3)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
command -v xvfb-run >/dev/null || need+=(xvfb)
[ -x /usr/games/xboard ] || need+=(xboard)
[ -x /usr/games/polyglot ] || need+=(polyglot)
# The opponents of the end-to-end games: the next one plays when one fails.
for opponent in fairymax hoichess sjeng phalanx; do
  [ -x /usr/games/$opponent ] || need+=($opponent)
done
# The decompressors of the game tools' inputs.
for header in zlib.h:zlib1g-dev bzlib.h:libbz2-dev zstd.h:libzstd-dev lzma.h:liblzma-dev; do
  [ -f "/usr/include/${header%%:*}" ] || need+=("${header#*:}")
done
command -v pgn-extract >/dev/null || [ -x /usr/games/pgn-extract ] || need+=(pgn-extract)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPELMOT_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

# Unit and protocol tests again under the address and undefined-behaviour sanitizers.
cmake -S . -B build-asan -DPELMOT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug -DPELMOT_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j"$jobs" -L 'unit|protocol')
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 bash tests/shell/xboard_match.sh \
  "$PWD/build-asan/pelmot" "$PWD/build-asan/Pelmot.book" "$PWD/build-asan/e2e-short" short

# The protocol sessions, which run both threads, under the thread sanitizer.
cmake -S . -B build-tsan -DPELMOT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug -DPELMOT_SANITIZE=thread >/dev/null
cmake --build build-tsan -j"$jobs" --target pelmot pelmot_book
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j"$jobs" -L 'protocol|threads')

# Every fuzz target for a short while (the long runs are made by hand).
bash scripts/fuzz.sh "${PELMOT_FUZZ_SECONDS:-20}"
