#!/usr/bin/env bash
# The surface scan against fio on the same files: a read scan of a file of random data and of an
# unwritten (fallocated) file, O_DIRECT both, runs alternating. Prints throughputs, their ratio
# and the difference in time a block; asserts nothing.
set -eu
BUILD=${1:-build}
CLI="$BUILD/src/app/korvane-cli"
DATA="$BUILD/bench-data"
RUNS=${RUNS:-3}
SIZE_MB=${SIZE_MB:-1024}
mkdir -p "$DATA/logs"
if ! command -v fio >/dev/null; then echo "scan_vs_fio: fio is not installed, skipped"; exit 0; fi

random="$DATA/random.img"
unwritten="$DATA/unwritten.img"
if [ ! -f "$random" ] || [ "$(stat -c %s "$random")" -ne $((SIZE_MB << 20)) ]; then
  dd if=/dev/urandom of="$random" bs=1M count="$SIZE_MB" status=none
fi
sync # direct reads of pages still dirty would time the write-back
rm -f "$unwritten"
fallocate -l "${SIZE_MB}M" "$unwritten"

# korvane-cli's read scan: its "Scanned ... MB/s" line times the scan, not the program's start.
korvane() { # file block -> MB/s seconds
  "$CLI" --quiet --ini /nonexistent/krv40.ini --logs "$DATA/logs" --device "$1" scan --mode read --block "$2" \
    2>/dev/null | sed -n 's/^Scanned .* MB in \([0-9.]*\) s, \([0-9.]*\) MB\/s$/\2 \1/p'
}
# fio's rate of I/Os, which it measures in microseconds.
fiorun() { # file block-bytes -> MB/s seconds
  fio --name=scan --filename="$1" --rw=read --bs="$2" --direct=1 --ioengine=psync --output-format=json 2>/dev/null |
    awk -v bs="$2" -v size=$((SIZE_MB << 20)) '
      /"read" : \{/ { inread = 1 }
      inread && /"iops" :/ { gsub(/[",]/, ""); iops = $3; printf "%.1f %.6f\n", iops * bs / 1e6, size / bs / iops; exit }'
}

echo "scan_vs_fio: $(nproc) CPU, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), kernel $(uname -r)"
echo "scan_vs_fio: ${SIZE_MB} MiB files on $(stat -f -c %T "$DATA"), $RUNS runs each, alternating"
for file in "$random" "$unwritten"; do
  for block in 256 8; do
    bytes=$((block * 512))
    ks=0 fs=0 kt=0 ft=0
    korvane "$file" "$block" >/dev/null # a first run of each warms what can be warmed
    fiorun "$file" "$bytes" >/dev/null
    for ((i = 0; i < RUNS; i++)); do
      read -r kmb ksec < <(korvane "$file" "$block")
      read -r fmb fsec < <(fiorun "$file" "$bytes")
      ks=$(echo "$ks + $kmb" | bc -l); fs=$(echo "$fs + $fmb" | bc -l)
      kt=$(echo "$kt + $ksec" | bc -l); ft=$(echo "$ft + $fsec" | bc -l)
    done
    blocks=$(((SIZE_MB << 20) / bytes))
    printf '%-9s block %3d: korvane %8.1f MB/s  fio %8.1f MB/s  ratio %.3f  %+.2f us a block\n' \
      "$(basename "$file" .img)" "$block" "$(echo "$ks / $RUNS" | bc -l)" "$(echo "$fs / $RUNS" | bc -l)" \
      "$(echo "$ks / $fs" | bc -l)" "$(echo "($kt - $ft) / $RUNS / $blocks * 1000000" | bc -l)"
  done
done

# The same read scan in the window, drawn offscreen, against the command line's figure.
WINDOW="$BUILD/bench/window_scan"
if [ -x "$WINDOW" ]; then
  ws=0 cs=0
  for ((i = 0; i < RUNS; i++)); do
    read -r wmb _ < <(QT_QPA_PLATFORM=offscreen "$WINDOW" "$random" 256 2>/dev/null)
    read -r cmb _ < <(korvane "$random" 256)
    ws=$(echo "$ws + $wmb" | bc -l); cs=$(echo "$cs + $cmb" | bc -l)
  done
  printf 'window    block 256: window  %8.1f MB/s  cli %8.1f MB/s  ratio %.3f\n' \
    "$(echo "$ws / $RUNS" | bc -l)" "$(echo "$cs / $RUNS" | bc -l)" "$(echo "$ws / $cs" | bc -l)"
fi
