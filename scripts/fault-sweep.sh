#!/bin/sh
# The long fault sweep (not run by the test command): every operation, both modes, four types,
# six faults, POINTS evenly spaced and POINTS random access points each (default 32 + 32).
# Usage: scripts/fault-sweep.sh BUILD_DIR [POINTS]
set -eu
build=${1:?usage: scripts/fault-sweep.sh BUILD_DIR [POINTS]}
PROM_FAULT_SWEEP_POINTS=${2:-32} "$build/tests/test_engine" --gtest_filter='*FaultSweep*' |
  grep -E '^fault sweep|FAILED|PASSED'
