#!/usr/bin/env bash
# Builds the Linux program and starts it. The saved entries ("time.txt") are
# kept in the directory this is started from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/common.sh"
# shellcheck disable=SC2086
ensure_packages $RUN_PACKAGES

(cd "$root" && cmake --preset app >/dev/null && cmake --build --preset app)
exec "$root/build/app/window/qt/yuchanqi" "$@"
