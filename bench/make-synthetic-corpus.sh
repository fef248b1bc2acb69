#!/usr/bin/env bash
# Writes a synthetic corpus of COUNT small text files (about 2 KB each, 100
# per folder) of words drawn with a skewed frequency from a vocabulary of
# 30,000 made-up words, the same for every run. Prints the corpus folder.
set -euo pipefail
count="${1:?usage: make-synthetic-corpus.sh COUNT FOLDER}"
dest="${2:?usage: make-synthetic-corpus.sh COUNT FOLDER}"
if [ -f "$dest.complete" ] && [ "$(cat "$dest.complete")" = "$count" ]; then
  echo "$dest"
  exit 0
fi
rm -rf "$dest"
mkdir -p "$dest"
awk -v count="$count" -v dest="$dest" 'BEGIN {
  srand(12345)
  letters = "abcdefghijklmnopqrstuvwxyz"
  vocabulary = 30000
  for (w = 1; w <= vocabulary; w++) {
    word = ""; n = w * 7919
    do { word = word substr(letters, n % 26 + 1, 1); n = int(n / 26) } while (n > 0)
    vocab[w] = word substr(letters, w % 26 + 1, 1) "e"
  }
  logv = log(vocabulary)
  for (f = 1; f <= count; f++) {
    folder = sprintf("%s/d%03d", dest, int((f - 1) / 100))
    if ((f - 1) % 100 == 0) system("mkdir -p " folder)
    path = sprintf("%s/file%05d.txt", folder, f)
    line = ""
    for (i = 1; i <= 300; i++) {
      line = line vocab[int(exp(rand() * logv))] (i % 12 == 0 ? "\r\n" : " ")
    }
    printf "%s", line > path
    close(path)
  }
}'
echo "$count" >"$dest.complete"
echo "$dest"
