#!/usr/bin/env bash
# Builds everything and runs all tests: first the ordinary build, then the same tests built
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
# The 3D view's tests draw on a virtual X display with Mesa's software renderer; the others
# keep the offscreen platform.
LIBGL_ALWAYS_SOFTWARE=1 VRK_REQUIRE_OPENGL=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir build --output-on-failure -j2
# The Debian package: built, its files checked, installed in a scratch root and run.
rm -f build/vrkviewer_*.deb
(cd build && cpack -G DEB >/dev/null)
bash tests/package/check-package.sh build/vrkviewer_*.deb samples/sample.vrk

# The programs as a packager builds them: Release, where the optimiser leaves out what no
# file of its own needs.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release -j2 --target vrkviewer vrkinfo

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVRK_SANITIZE=ON
cmake --build build-sanitize -j2
# Without a display here: the 3D window's tests skip, its geometry's tests run.
env -u DISPLAY ctest --test-dir build-sanitize --output-on-failure -j2
