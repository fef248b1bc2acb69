#!/usr/bin/env bash
# Builds the documentation corpus of the benchmarks in the folder given: the
# Documentation tree of the Debian package linux-doc-6.1 (about 8,800 files,
# 39 MB once its .gz files are unpacked), installing the package when it is
# missing; /usr/share/doc, unpacked the same way, when it cannot be had.
# Prints the corpus folder. A corpus already built is reused.
set -euo pipefail
dest="${1:?usage: make-doc-corpus.sh CORPUS_FOLDER}"
package=linux-doc-6.1
source_dir=/usr/share/doc/$package/Documentation

if [ ! -d "$source_dir" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing $package for the benchmark corpus ..." >&2
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$package" >&2 ||
    echo "$package could not be installed; using /usr/share/doc" >&2
fi
if [ ! -d "$source_dir" ]; then source_dir=/usr/share/doc; fi

stamp="$dest.source"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$source_dir" ]; then
  echo "$dest"
  exit 0
fi
rm -rf "$dest"
mkdir -p "$dest"
cp -r "$source_dir/." "$dest/"
find "$dest" -type f -name '*.gz' -exec gunzip -f {} + 2>/dev/null || true
# Links into the rest of the system are not part of the corpus.
find "$dest" -type l -delete
echo "$source_dir" >"$stamp"
echo "$dest"
