#!/usr/bin/env bash
# `make run`: the launcher window when a display is available, otherwise the
# headless main job.
set -euo pipefail
quor="$1"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$quor"
fi
exec "$(dirname "$0")/headless-job.sh" "$quor"
