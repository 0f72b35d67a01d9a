#!/usr/bin/env bash
# Soak of the client's recovery from bridge failures, run by hand (about five minutes). Kills the
# bridge 50 times at random moments (before the link reaches a new bridge, while connected, during
# a download through the bridge), prints each recovery time, then the median and the maximum and
# any half-written file left in the download folder.
#
# The client and its bridge run in a user, process and network namespace of their own (their
# loopback port is fixed) under a temporary HOME; nothing else on this machine is touched. An
# argument gives another number of kills, for a quick look.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${FENMAR_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${FENMAR_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target fenmar_bridge_soak fenmar_standin_bridge >/dev/null

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
log="$home/client.log"
echo "client output: $log (removed at the end; set FENMAR_SOAK_KEEP_LOG=path to keep a copy)"

status=0
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_DOCUMENTS_DIR \
    HOME="$home" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='default.warning=false' FENMAR_STANDIN_COPY_DELAY_MS=20 \
    unshare -Urpfn --mount-proc --kill-child \
    sh -c 'ip link set lo up && exec "$0" "$@"' "$build_dir/bin/fenmar_bridge_soak" "$@" >"$log" || status=$?
if [ -n "${FENMAR_SOAK_KEEP_LOG:-}" ]; then
    cp "$log" "$FENMAR_SOAK_KEEP_LOG"
fi
exit "$status"
