#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the whole suite (GUI tests
# headless) built with the distribution's hardening flags, the Debian package (a Release build
# of the programs) and its checks, the core again under AddressSanitizer +
# UndefinedBehaviorSanitizer, and a short bounded run of the record-file fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Debian's hardening flags (-D_FORTIFY_SOURCE=2, -fstack-protector-strong, -Werror=format-security,
# RELRO), as a distribution builds.
hardening=(-DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
           -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)")

echo "== Build and test (all, with the station window), with Debian's hardening flags"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPROM_BUILD_BENCH=ON -DPROM_WERROR=ON "${hardening[@]}"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" | tee build/ctest.log

echo "== The Debian package: the programs built in Release, checked without installing it"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DPROM_BUILD_TESTS=OFF -DPROM_WERROR=ON "${hardening[@]}"
cmake --build build-package -j"$jobs"
rm -f build-package/promstation_*.deb
(cd build-package && cpack -G DEB >/dev/null)
scripts/check-package.sh build-package/promstation_*.deb

echo "== Build and test the core under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPROM_SANITIZE=ON -DPROM_BUILD_UI=OFF -DPROM_WERROR=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" | tee build-sanitize/ctest.log

echo "== Fuzz the record readers (short, bounded)"
fuzz/run.sh build-fuzz

# One closing line for both suites (ctest prints "... tests failed out of N").
total=0
for log in build/ctest.log build-sanitize/ctest.log; do
  n=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  total=$((total + ${n:-0}))
done
echo "Tests: $total passed, 0 failed"
