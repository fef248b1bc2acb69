#!/usr/bin/env bash
# `make screenshots`: renders the windows off screen into docs/.
set -euo pipefail
quor="${1:-build/bin/quor}"
root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$root/docs"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
shoot() {
  "$quor" --screenshot "$1" "$root/docs/$2"
  echo "docs/$2"
}
shoot frmMain launcher.png
shoot frmLargeDisplay large-display.png
shoot frmIndexMain index-module-empty.png
shoot frmIndexMain-filled index-module.png
shoot frmIndexMain-indexing index-module-indexing.png
shoot frmIndexMain-indexed index-module-indexed.png
shoot frmSelectSubfolders select-subfolders.png
shoot frmFilepathExclusions filepath-exclusions.png
shoot frmSearchMain search-module-empty.png
shoot frmSearchMain-results search-module.png
