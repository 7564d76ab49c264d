#!/bin/bash
# Writes the seed corpus of the fuzz targets that have no ready-made inputs, from the lab (through
# the built korvane-cli) and from the real-drive blocks. Run from the source tree after a build:
#   fuzz/make_seeds.sh build
set -eu
cli=$1/src/app/korvane-cli
corpus=$(dirname "$0")/corpus
data=$(dirname "$0")/../test/data
mkdir -p "$corpus"/{identify,bin,smart,ini,size,sense,partitions,pci,blockcsv}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The BIN files the lab's passport and SMART pages save.
for drive in 0 2 7; do
    "$cli" --quiet --logs "$work/logs$drive" --api $drive passport >/dev/null 2>&1 || true
    "$cli" --quiet --logs "$work/logs$drive" --api $drive smart >/dev/null 2>&1 || true
    for f in "$work/logs$drive"/*.bin; do
        [ -f "$f" ] || continue
        name=$(basename "$f" | tr -c 'A-Za-z0-9._\n-' _)
        cp "$f" "$corpus/bin/$name"
        case $name in Passp_*) cp "$f" "$corpus/identify/$name" ;; esac
    done
done

# SMART: the data block, the threshold block and a family byte.
i=0
for s in "$data"/real-drives/*.smart.bin; do
    base=${s%.smart.bin}
    [ -f "$base.thresholds.bin" ] || continue
    { cat "$s" "$base.thresholds.bin"; printf "\\x$(printf %02x $((i % 24)))"; } > "$corpus/smart/$(basename "$base")"
    i=$((i + 1))
done

# Settings: the file the lab writes with its defaults, and the same with a key changed.
"$cli" --quiet --ini "$work/krv40.ini" --save-settings devices >/dev/null 2>&1 || true
cp "$work/krv40.ini" "$corpus/ini/defaults.ini"
sed 's/^Russian=.*/Russian=1/' "$work/krv40.ini" > "$corpus/ini/russian.ini"

# Size fields.
for t in 131072134 "100 Mb" 204G 17% zz "1 Tb" "99999999999999999999" "0x10" "5%%" "-3"; do
    printf '\x00\x00\x00\x40\x00\x00\x00\x00\x00%s' "$t" > "$corpus/size/$(echo "$t" | tr -c 'A-Za-z0-9' _)"
done

# Sense: fixed format, medium error / unrecovered read; descriptor format with an ATA return.
printf '\x70\x00\x03\x00\x00\x00\x00\x0a\x00\x00\x00\x00\x11\x04' > "$corpus/sense/fixed-unc"
printf '\x72\x01\x00\x1d\x00\x00\x00\x0e\x09\x0c\x00\x00\x00\x01\x00\x00\x00\x4f\x00\xc2\x00\x00\x50' > "$corpus/sense/ata-return"
printf '\x72\x05\x20\x00\x00\x00\x00\x00' > "$corpus/sense/illegal-request"

# Partitions: the lab drives' table sectors as records of LBA and sector.
record() { # DRIVE LBA
    "$cli" --quiet --api "$1" sector read "$2" --out "$work/s" >/dev/null 2>&1
    python3 -c "import struct,sys; sys.stdout.buffer.write(struct.pack('<I', $2) + open('$work/s','rb').read())"
}
ebrs=$(python3 - "$cli" <<'PY'
import struct, subprocess, sys, tempfile, os
cli = sys.argv[1]
def sector(lba):
    with tempfile.TemporaryDirectory() as d:
        subprocess.run([cli, "--quiet", "--api", "0", "sector", "read", str(lba), "--out", d + "/s"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        return open(d + "/s", "rb").read()
def entries(s):
    return [(s[446 + 16*k + 4], struct.unpack_from("<I", s, 446 + 16*k + 8)[0]) for k in range(4)]
mbr = sector(0)
first = [start for t, start in entries(mbr) if t in (0x05, 0x0F, 0x85)]
out, link = [], first[0] if first else None
while link is not None and len(out) < 16:
    out.append(link)
    nxt = [start for t, start in entries(sector(link)) if t in (0x05, 0x0F, 0x85)]
    link = first[0] + nxt[0] if nxt else None
print(" ".join(map(str, out)))
PY
)
{ record 0 0; for e in $ebrs; do record 0 "$e"; done; } > "$corpus/partitions/lab-mbr-chain"
{ record 5 0; record 5 1; record 5 2; } > "$corpus/partitions/lab-gpt"
record 0 0 > "$corpus/partitions/lab-mbr-only"

# PCI: the lab's storage controllers as the config files would show them are not reachable from
# here, so a made-up bus: an IDE controller in legacy mode, a native SATA one and a RAID board.
python3 - "$corpus/pci/three-controllers" <<'PY'
import struct, sys
def fn(vendor, device, prog, sub, cls, bars, header=0):
    b = bytearray(64)
    struct.pack_into("<HH", b, 0, vendor, device)
    b[9], b[10], b[11], b[14] = prog, sub, cls, header
    for i, v in enumerate(bars):
        struct.pack_into("<I", b, 16 + 4 * i, v)
    return bytes(b)
none = b"\xff" * 64
bus = [fn(0x8086, 0x27DF, 0x8A, 1, 1, [0, 0, 0, 0, 0xFFA1])] + [none] * 7
bus += [fn(0x1095, 0x3114, 0x8F, 1, 1, [0xD401, 0xD801, 0xD001, 0xD081], header=0x80), fn(0x1095, 0x3114, 0, 4, 1, [])] + [none] * 6
bus += [fn(0x105A, 0x3373, 0x85, 4, 1, [0xC801, 0xC401])]
open(sys.argv[1], "wb").write(b"".join(bus) + b"\x03")
PY

# Block files: a lab scan's CSV, whole and cut in the middle of a line.
"$cli" --quiet --api 0 scan --end 200000 --block 256 --csv "$work/scan.csv" >/dev/null 2>&1 || true
cp "$work/scan.csv" "$corpus/blockcsv/lab-scan.csv"
head -c 700 "$work/scan.csv" > "$corpus/blockcsv/lab-scan-cut.csv"
echo "seeds written to $corpus"
