#!/bin/sh
# bil-check over generated statement files against the I/O floor: cat reading
# the same files whole into /dev/null. Then bil-check --text against its
# floor: the same text bytes written into as many new files and one syncfs
# (bench/text_floor). Everything on one core (CPU 0) with a warm cache; the
# median of five runs each, taken in turn.
#
#   bench/check_bench.sh BUILD_DIR [FILES] [TEXTS]
set -eu
build=$(realpath "$1")
count=${2:-10000}
texts=${3:-2000}
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/files"
"$build/bench/make_statements" tests/data/journey.records "$work/files" "$count"

# Appends the seconds the command takes to the file $1.
timed() {
  out=$1; shift
  start=$(date +%s%N)
  taskset -c 0 "$@" >/dev/null || [ $? -eq 1 ] # bil-check: some files have errors
  end=$(date +%s%N)
  echo "$start $end" | awk '{ printf "%.4f\n", ($2 - $1) / 1e9 }' >>"$out"
}
median() { tail -n 5 "$1" | sort -n | sed -n 3p; }

export work
floor='find "$work/files" -name "*.bil" -print0 | xargs -0 cat'
for _ in 0 1 2 3 4 5; do # the first round warms the cache
  timed "$work/t-floor" sh -c "$floor"
  timed "$work/t-human" "$build/bil-check" "$work/files"
  timed "$work/t-json" "$build/bil-check" --format json "$work/files"
done
awk -v n="$count" -v f="$(median "$work/t-floor")" -v h="$(median "$work/t-human")" \
    -v j="$(median "$work/t-json")" 'BEGIN {
  printf "%d files, one core, median of 5\n", n
  printf "%-26s %8s %10s %7s\n", "", "seconds", "files/s", "ratio"
  printf "%-26s %8.3f %10.0f %7s\n", "floor: cat whole files", f, n / f, "1.00"
  printf "%-26s %8.3f %10.0f %7.2f\n", "bil-check", h, n / h, h / f
  printf "%-26s %8.3f %10.0f %7.2f\n", "bil-check --format json", j, n / j, j / f
}'

# Texts into a new folder each round; the folder of the round before is
# removed and synced away first, so that neither side pays for it.
mkdir "$work/tfiles"
"$build/bench/make_statements" tests/data/journey.records "$work/tfiles" "$texts"
"$build/bil-check" --text "$work/tsource" "$work/tfiles" >/dev/null || [ $? -eq 1 ]
for _ in 0 1 2 3 4 5; do
  rm -rf "$work/t1" "$work/t2"
  sync
  timed "$work/t-tfloor" "$build/bench/text_floor" "$work/tsource" "$work/t1"
  sync
  timed "$work/t-text" "$build/bil-check" --text "$work/t2" "$work/tfiles"
done
cmp -s "$work/t1/$(ls "$work/t1" | head -n 1)" "$work/t2/$(ls "$work/t1" | head -n 1)"
awk -v n="$(ls "$work/t2" | wc -l)" -v f="$(median "$work/t-tfloor")" -v t="$(median "$work/t-text")" 'BEGIN {
  printf "\n%d texts, one core, median of 5\n", n
  printf "%-30s %8s %10s %7s\n", "", "seconds", "files/s", "ratio"
  printf "%-30s %8.3f %10.0f %7s\n", "floor: new files, one syncfs", f, n / f, "1.00"
  printf "%-30s %8.3f %10.0f %7.2f\n", "bil-check --text", t, n / t, t / f
}'
