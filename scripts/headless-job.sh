#!/usr/bin/env bash
# The main job without a display.
set -euo pipefail
quor="$1"
echo "No display found. Start the GUI on a desktop with: $quor"
echo "or under a virtual display with: xvfb-run -a $quor"
"$quor" --help
