#!/usr/bin/env bash
# The benchmarks: `make bench` runs this with the folder of the built
# programs.
#  1. `quor index` on a real documentation tree (bench/make-doc-corpus.sh):
#     wall time, peak memory, MB/s of input, the data file's size; then 10
#     consecutive runs (median and spread of wall, user, system, peak memory),
#     `cat` of the same files, the byte-for-byte comparison with one reading
#     thread, and a consistency check of the index (bench/check-index.py).
#  2. `quor index` on synthetic corpora of 1,000 and 32,000 small files: the
#     time per file must not grow with the number of files.
#  3. The Google Benchmark programs built beside quor (*_bench).
# Corpora and outputs go to $QUOR_BENCH_DIR (default: bench-data beside the
# build folder of the programs).
set -euo pipefail
bindir="$(cd "${1:?usage: run.sh BINDIR}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
quor="$bindir/quor"
work="${QUOR_BENCH_DIR:-$(dirname "$bindir")/bench-data}"
mkdir -p "$work"
# The figures are those of a Release build (what `make bench` makes).
cache="$(dirname "$bindir")/CMakeCache.txt"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$cache" 2>/dev/null || true)
echo "build: ${build_type:-unknown} ($bindir)"
if [ "$build_type" != Release ]; then
  echo "bench: warning: not a Release build; these figures are not the program's" >&2
fi
timer=/usr/bin/time
if [ ! -x "$timer" ]; then
  echo "bench: /usr/bin/time is missing (Debian package 'time'; scripts/install-deps.sh installs it)" >&2
  exit 1
fi

# index_run NAME CORPUS: one whole `quor index` run; prints a result line and
# leaves the index in $work/out-NAME.
index_run() {
  local name="$1" corpus="$2" out="$work/out-$1"
  rm -rf "$out"
  mkdir -p "$out"
  local log="$work/$name.time" stdout="$work/$name.out"
  "$timer" -v "$quor" index --project "$name" --title "Benchmark $name" --top "$corpus" \
    --output "$out" --all-subfolders --min-size 0 --yes >"$stdout" 2>"$log" || {
    cat "$stdout" "$log" >&2
    return 1
  }
  local wall rss files data allocated
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")
  rss=$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$log")
  files=$(find "$corpus" -type f | wc -l)
  data=$(stat -c %s "$out/${name}_data.quor")
  allocated=$(du -k "$out/${name}_data.quor" | cut -f1)
  local indexed mb
  indexed=$(awk -F': ' '/^Files to be indexed:/ { gsub(",", "", $2); print $2 }' "$stdout")
  # Bytes of the files indexed, from the "Total file size" line (Kb, Mb, Gb).
  mb=$(awk '/^Total file size:/ { gsub(",", "", $4); f = $5 == "Gb" ? 2^30 : $5 == "Mb" ? 2^20 : $5 == "Kb" ? 1024 : 1; printf "%d", $4 * f }' "$stdout")
  awk -v name="$name" -v wall="$wall" -v rss="$rss" -v files="$files" -v indexed="$indexed" \
    -v mb="$mb" -v data="$data" -v alloc="$allocated" -v words="$(grep '^Different words' "$stdout")" \
    'BEGIN {
      printf "%-12s %6d files (%d indexed), %7.1f MB, %6.2f s, %6.1f MB/s, %7.2f ms/file, peak %s MB\n",
        name, files, indexed, mb / 1e6, wall, mb / 1e6 / wall, wall * 1000 / indexed, rss
      printf "%-12s %s; data file %.1f MB (%.1f MB allocated)\n", "", words, data / 1e6, alloc / 1e3
    }'
  grep -E '^Data extraction|^Total' "$stdout" | sed 's/^/             /'
}

checked=passed
echo "== Start of a command: quor inspect of a one-line file beside true (median of 20 runs)"
if command -v python3 >/dev/null; then
  printf 'one line of words\n' >"$work/one-line.txt"
  python3 - "$quor" "$work/one-line.txt" <<'PY'
import statistics, subprocess, sys, time
def median_ms(cmd):
    runs = []
    for i in range(23):
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        if i >= 3:
            runs.append((time.perf_counter() - start) * 1000)
    return statistics.median(runs)
base = median_ms(["true"])
cli = median_ms([sys.argv[1], "inspect", sys.argv[2]])
print(f"true {base:.2f} ms, quor inspect {cli:.2f} ms (target: under 5 ms)")
PY
fi

# repeat_runs NAME CORPUS: 10 consecutive `quor index` runs; the median and
# spread of wall, user and system time and peak memory, the time of `cat`-ing
# the same files, and the same index written with one reading thread
# compared byte for byte.
repeat_runs() {
  local name="$1" corpus="$2" out="$work/out-$1" runs=10
  local log="$work/$name.runs"
  : >"$log"
  for ((i = 0; i < runs; i++)); do
    rm -rf "$out"
    mkdir -p "$out"
    "$timer" -f "%e %U %S %M" -a -o "$log" "$quor" index --project "$name" --title "Benchmark $name" \
      --top "$corpus" --output "$out" --all-subfolders --min-size 0 --yes >/dev/null 2>&1
  done
  awk '{ w[NR] = $1; u[NR] = $2; s[NR] = $3; m[NR] = $4 / 1024 }
    function med(a, n,   i, j, t, b) { for (i = 1; i <= n; i++) b[i] = a[i]
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (b[j] < b[i]) { t = b[i]; b[i] = b[j]; b[j] = t }
      return n % 2 ? b[(n + 1) / 2] : (b[n / 2] + b[n / 2 + 1]) / 2 }
    function lo(a, n,   i, r) { r = a[1]; for (i = 2; i <= n; i++) if (a[i] < r) r = a[i]; return r }
    function hi(a, n,   i, r) { r = a[1]; for (i = 2; i <= n; i++) if (a[i] > r) r = a[i]; return r }
    END { n = NR; printf "%d runs: wall median %.2f s (%.2f-%.2f, max %.2fx median); user median %.2f s; sys median %.2f s; user+sys median %.2f s; peak median %.1f MB (max %.1f)\n",
      n, med(w, n), lo(w, n), hi(w, n), hi(w, n) / med(w, n), med(u, n), med(s, n), med(u, n) + med(s, n), med(m, n), hi(m, n) }' "$log"
  local start end
  start=$(date +%s%N)
  find "$corpus" -type f -print0 | xargs -0 cat >/dev/null
  end=$(date +%s%N)
  awk -v ns="$((end - start))" 'BEGIN { printf "cat of the same files: %.2f s\n", ns / 1e9 }'
  local single="$work/out-$name-1"
  rm -rf "$single"
  mkdir -p "$single"
  QUOR_INDEX_THREADS=1 "$timer" -f "one reading thread: %e s wall, %U s user, %S s sys" "$quor" index \
    --project "$name" --title "Benchmark $name" --top "$corpus" --output "$single" \
    --all-subfolders --min-size 0 --yes >/dev/null 2>"$work/$name.single"
  tail -1 "$work/$name.single"
  if cmp -s "$out/${name}_index.quor" "$single/${name}_index.quor" &&
    cmp -s "$out/${name}_data.quor" "$single/${name}_data.quor"; then
    echo "index and data file: byte-identical to one reading thread"
  else
    echo "index and data file: DIFFER from one reading thread" >&2
    checked=failed
  fi
  rm -rf "$single"
}

echo "== Documentation corpus"
corpus=$("$here/make-doc-corpus.sh" "$work/doc-corpus")
echo "corpus: $corpus ($(cat "$corpus.source")); load: $(cut -d' ' -f1-3 /proc/loadavg)"
index_run docs "$corpus"
repeat_runs docs "$corpus"
if command -v python3 >/dev/null; then
  "$quor" expand "$work/out-docs/docs_index.quor" "$work/out-docs/docs_index.txt"
  python3 "$here/check-index.py" "$work/out-docs/docs_index.txt" \
    "$work/out-docs/docs_data.quor" "$corpus" "$quor" 50 || checked=failed
  rm -f "$work/out-docs/docs_index.txt"
else
  echo "check skipped: python3 is not installed"
fi

echo "== quor search on the documentation index (whole process, --paths-only)"
# avg_ms RUNS CMD...: the wall time of RUNS runs of a command, in ms: their
# median by hyperfine where it is installed, else their mean.
avg_ms() {
  local runs="$1" start end
  shift
  if command -v hyperfine >/dev/null && command -v python3 >/dev/null && [ "$runs" -gt 1 ]; then
    local json="$work/hyperfine.json"
    hyperfine -N -i -w 2 -r "$runs" --export-json "$json" -- "$(printf '%q ' "$@")" >/dev/null 2>&1 &&
      python3 -c 'import json, sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$json" &&
      return
  fi
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null 2>&1 || true; done
  end=$(date +%s%N)
  awk -v ns="$((end - start))" -v runs="$runs" 'BEGIN { printf "%.1f", ns / runs / 1e6 }'
}
search_index="$work/out-docs/docs_index.quor"
search=("$quor" search --index "$search_index" --top "$corpus" --paths-only)
export XDG_DATA_HOME="$work/xdg"
echo "true: $(avg_ms 20 true) ms; quor --help: $(avg_ms 20 "$quor" --help) ms"
# The first load builds the data file; the next ones find it current.
rm -f "$work/out-docs/docs_data.quor"
echo "first search (builds the data file): $(avg_ms 1 "${search[@]}" --type any kernel) ms"
set -f  # the stem query is not a file pattern
while IFS='|' read -r label args; do
  # shellcheck disable=SC2086
  printf '%-28s %8s ms  (%s files)\n' "$label" "$(avg_ms 10 "${search[@]}" $args)" \
    "$("${search[@]}" $args 2>/dev/null | wc -l)"
done <<'QUERIES'
one common word|--type any kernel
one rare word|--type any zswap
two words, all|--type all memory page
three words, all|--type all memory page table
any word, sorted|--type any --sort device driver
two-word phrase|--type phrase device tree
three-word phrase|--type phrase the page cache
stem|--type any dev*
QUERIES
set +f
echo "in process (load alone, search alone after loading):"
QUOR_BENCH_INDEX="$search_index" QUOR_BENCH_TOP="$corpus" "$bindir/search_bench" \
  --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true |
  grep -E 'median|^Benchmark|^---'

echo "== Synthetic corpora: the cost per file must not grow with the number of files"
for count in 1000 32000; do
  corpus=$("$here/make-synthetic-corpus.sh" "$count" "$work/synthetic-$count")
  index_run "synth$count" "$corpus"
done
repeat_runs synth32000 "$corpus"

shopt -s nullglob
benches=("$bindir"/*_bench)
if [ ${#benches[@]} -gt 0 ]; then
  echo "== Micro-benchmarks"
  for b in "${benches[@]}"; do
    # search_bench ran above on the documentation index.
    [ "$(basename "$b")" = search_bench ] && continue
    # The stages of the build (what dominates), one and all reading threads.
    if [ "$(basename "$b")" = index_build_bench ]; then
      QUOR_BENCH_TOP="$work/doc-corpus" "$b"
      continue
    fi
    "$b" --benchmark_min_time=0.2
  done
fi
if [ "$checked" != passed ]; then
  echo "bench: the index check failed" >&2
  exit 1
fi
