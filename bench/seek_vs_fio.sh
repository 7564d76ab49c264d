#!/usr/bin/env bash
# The seek test in API mode against fio on the same file of random data: one-sector direct reads
# at random positions, one at a time, runs alternating. Prints accesses per second and their
# ratio; asserts nothing.
set -eu
BUILD=${1:-build}
CLI="$BUILD/src/app/korvane-cli"
DATA="$BUILD/bench-data"
RUNS=${RUNS:-3}
SECONDS_EACH=${SECONDS_EACH:-10}
SIZE_MB=${SIZE_MB:-1024}
mkdir -p "$DATA/logs"
if ! command -v fio >/dev/null; then echo "seek_vs_fio: fio is not installed, skipped"; exit 0; fi

random="$DATA/random.img"
if [ ! -f "$random" ] || [ "$(stat -c %s "$random")" -ne $((SIZE_MB << 20)) ]; then
  dd if=/dev/urandom of="$random" bs=1M count="$SIZE_MB" status=none
fi
sync

# fio's block: 512 bytes, or 4 KiB where the file system refuses 512-byte direct reads.
BS=512
if ! dd if="$random" of=/dev/null bs=512 count=1 iflag=direct status=none 2>/dev/null; then BS=4096; fi

korvane() { # -> accesses per second
  "$CLI" --quiet --ini /nonexistent/krv40.ini --logs "$DATA/logs" --device "$random" seek --mode read \
    --time "$SECONDS_EACH" 2>/dev/null |
    sed -n "s/^Accesses: \([0-9]*\), .*/\1/p" | awk -v s="$SECONDS_EACH" '{ printf "%.1f\n", $1 / s }'
}
fiorun() { # -> accesses per second
  fio --name=seek --filename="$random" --rw=randread --bs="$BS" --direct=1 --iodepth=1 --ioengine=psync \
    --runtime="$SECONDS_EACH" --time_based --output-format=json 2>/dev/null |
    awk '/"read" : \{/ { inread = 1 } inread && /"iops" :/ { gsub(/[",]/, ""); printf "%.1f\n", $3; exit }'
}

echo "seek_vs_fio: $(nproc) CPU, kernel $(uname -r), ${SIZE_MB} MiB file on $(stat -f -c %T "$DATA"), fio block $BS"
ks=0 fs=0
for ((i = 0; i < RUNS; i++)); do
  k=$(korvane); f=$(fiorun)
  printf 'run %d: korvane %9.1f accesses/s  fio %9.1f IOPS\n' "$i" "$k" "$f"
  ks=$(echo "$ks + $k" | bc -l); fs=$(echo "$fs + $f" | bc -l)
done
printf 'seek      read 1 sector: korvane %9.1f accesses/s  fio %9.1f IOPS  ratio %.3f\n' \
  "$(echo "$ks / $RUNS" | bc -l)" "$(echo "$fs / $RUNS" | bc -l)" "$(echo "$ks / $fs" | bc -l)"
