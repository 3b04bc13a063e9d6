#!/usr/bin/env bash
# The long soak: the reliability suite's load tests run with larger counts, the same
# binaries as `make test`: 300 captures in a row in each of the four modes and five
# minutes of mouse storm over six targets (override with VISTREL_SOAK_CAPTURES and
# VISTREL_STORM_SECONDS). Writes the `make soak` section of docs/reliability.md.
#   soak.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export VISTREL_RELIABILITY_RUN=soak
export VISTREL_SOAK_CAPTURES=${VISTREL_SOAK_CAPTURES:-300}
export VISTREL_STORM_SECONDS=${VISTREL_STORM_SECONDS:-300}
CTEST_ARGS="-R ^reliability_(census|soak|storm)\$" exec bash "$here/run_tests.sh" "${1:-build}"
