#!/usr/bin/env bash
# Runs every *_fuzz binary in a folder for the given number of seconds each.
# Fails (exit 1) when any of them finds a crash, leak or sanitizer report.
#   scripts/run-fuzzers.sh <bindir> <seconds>
set -u

bindir=${1:?usage: run-fuzzers.sh <bindir> <seconds>}
seconds=${2:?usage: run-fuzzers.sh <bindir> <seconds>}

shopt -s nullglob
fuzzers=("$bindir"/*_fuzz)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "run-fuzzers: no *_fuzz binaries in $bindir" >&2
  exit 1
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/quor-fuzz-XXXXXX")
trap 'rm -rf "$workdir"' EXIT

failed=()
for fuzzer in "${fuzzers[@]}"; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$workdir/$name-corpus"
  mkdir -p "$corpus"
  echo "== $name: ${seconds}s"
  if "$fuzzer" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
       -artifact_prefix="$workdir/$name-" "$corpus" >"$workdir/$name.log" 2>&1; then
    tail -n 1 "$workdir/$name.log"
  else
    echo "!! $name failed:" >&2
    tail -n 40 "$workdir/$name.log" >&2
    for artifact in "$workdir/$name-"*; do
      [ -f "$artifact" ] || continue
      mkdir -p fuzz-artifacts
      cp "$artifact" fuzz-artifacts/
      echo "   input saved in fuzz-artifacts/$(basename "$artifact")" >&2
    done
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "run-fuzzers: failed: ${failed[*]}" >&2
  exit 1
fi
echo "run-fuzzers: all ${#fuzzers[@]} fuzzer(s) ran clean"
