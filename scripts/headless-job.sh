#!/usr/bin/env bash
# The main job without a display: index the documentation every Debian
# machine has (/usr/share/doc) with the default selection rules, every
# subfolder and no minimum size, into the user's data folder; print the
# totals and the result line; then search the new index for "license" and
# write the HTML report, say where the index and data files are, how large
# they are and how to remove them, and how to open the window.
set -euo pipefail
quor="$1"
top=/usr/share/doc
data="${XDG_DATA_HOME:-$HOME/.local/share}/QUOR"
output="$data/headless"
index="$output/usrsharedoc_index.quor"
mkdir -p "$output"

echo "No display found: indexing $top headless into $output"
status=0
"$quor" index --project usrsharedoc --title "Documentation in $top" --top "$top" \
  --output "$output" --all-subfolders --min-size 0 --yes || status=$?
if [ "$status" -eq 0 ]; then
  echo "Index: $index  (expand it with: $quor expand $index OUT.txt)"
  echo
  echo "Searching the index for \"license\" and writing the HTML report:"
  report=""
  report=$("$quor" search --index "$index" --top "$top" --type any --max-extracts 3 --report html license) ||
    status=$?
  if [ -n "$report" ]; then echo "HTML report: $report  (open it with: xdg-open $report)"; fi
fi
echo
# Apparent size (what the files hold) and size on disk (blocks in use).
sizes() { echo "$(du -sh --apparent-size "$@" | cut -f1) apparent, $(du -sh "$@" | cut -f1) on disk"; }
echo "The index, its data file (made by the first search) and the report are kept in $data:"
for file in "$output"/usrsharedoc_*.quor "$data"/quor.htm; do
  if [ -e "$file" ]; then echo "  $file: $(sizes "$file")"; fi
done
echo "  all of $data: $(sizes "$data")"
echo "Remove the index and its data file with: rm -r $output"
echo "Remove everything QUOR keeps (also the settings files) with: rm -r $data"
echo
echo "To open the window, start $quor on a desktop, or under a virtual display:"
echo "  xvfb-run -a $quor"
exit "$status"
