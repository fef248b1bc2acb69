#!/usr/bin/env bash
# The main job without a display: index the documentation every Debian
# machine has (/usr/share/doc) with the default selection rules, every
# subfolder and no minimum size, into the user's data folder; print the
# totals and the result line, and say how to open the window.
set -euo pipefail
quor="$1"
top=/usr/share/doc
output="${XDG_DATA_HOME:-$HOME/.local/share}/QUOR/headless"
mkdir -p "$output"

echo "No display found: indexing $top headless into $output"
status=0
"$quor" index --project usrsharedoc --title "Documentation in $top" --top "$top" \
  --output "$output" --all-subfolders --min-size 0 --yes || status=$?
if [ "$status" -eq 0 ]; then
  echo "Index: $output/usrsharedoc_index.quor  (expand it with: $quor expand $output/usrsharedoc_index.quor OUT.txt)"
fi
echo
echo "To open the window, start $quor on a desktop, or under a virtual display:"
echo "  xvfb-run -a $quor"
exit "$status"
