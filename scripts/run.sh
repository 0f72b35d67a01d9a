#!/usr/bin/env bash
# Installs what is needed, builds, and starts the Fenmar client (which starts its bridge).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec "${FENMAR_BUILD_DIR:-build}/bin/fenmar"
