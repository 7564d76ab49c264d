#!/bin/bash
# The Linux back-end in a real kernel: boots a throw-away QEMU guest from an initramfs made here
# (busybox, korvane-cli with its libraries, the kernel's disk modules) with two disks of known
# contents: an IDE disk on the legacy secondary channel that no kernel driver claims (PIO through
# iopl) and a SATA disk on AHCI (SG_IO). A scsi_debug disk with planted medium errors checks that
# an unreadable sector gives the same error code, map letter and log line as on the lab.
#   guest_test.sh KORVANE_CLI
# Exits 77 (skipped) with the reason when QEMU, a kernel or busybox is missing.
set -u
cli=$(readlink -f "$1")
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is not installed"
busybox=$(command -v busybox || ls /bin/busybox 2>/dev/null) || skip "busybox is not installed"
file "$busybox" 2>/dev/null | grep -q "statically linked" || [ -x /bin/busybox ] || skip "no static busybox"
kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -1)
[ -n "$kernel" ] && [ -r "$kernel" ] || skip "no kernel image in /boot"
release=${kernel#/boot/vmlinuz-}
modules=/lib/modules/$release
[ -f "$modules/modules.dep" ] || skip "no modules for kernel $release"
# Software emulation: it boots in seconds, while KVM inside a virtual machine (as on CI) can hang.
accel="-accel tcg"

work=$(mktemp -d); [ -n "${KEEP_GUEST:-}" ] && echo "work: $work"
trap '[ -n "${KEEP_GUEST:-}" ] || rm -rf "$work"' EXIT
root=$work/root
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules,etc}

# busybox and korvane-cli with every library it loads.
cp "$busybox" "$root/bin/busybox"
for tool in sh mount insmod poweroff cat echo grep sleep mkdir ls sed head dd od tr; do ln -s busybox "$root/bin/$tool"; done
cp "$cli" "$root/bin/korvane-cli"
for lib in $(ldd "$cli" | grep -o '/[^ ]*'); do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done

# The disk modules, each after what it depends on.
wanted="scsi_mod sd_mod libata libahci ahci scsi_debug"
order=""
add_module() { # NAME: its dependencies first
    local path
    path=$(grep -E "(^|/)$1\.ko(\.xz|\.zst)?:" "$modules/modules.dep" | head -1 | cut -d: -f1)
    [ -n "$path" ] || return 0
    for dep in $(grep -E "^$path:" "$modules/modules.dep" | cut -d: -f2); do
        add_module "$(basename "$dep" | sed 's/\.ko.*//')"
    done
    case " $order " in *" $path "*) ;; *) order="$order $path" ;; esac
}
for m in $wanted; do add_module "$m"; done
loads=""
for path in $order; do
    name=$(basename "$path")
    case $name in
        *.ko.xz) xz -dc "$modules/$path" > "$root/lib/modules/${name%.xz}"; name=${name%.xz} ;;
        *.ko.zst) zstd -qdc "$modules/$path" > "$root/lib/modules/${name%.zst}"; name=${name%.zst} ;;
        *) cp "$modules/$path" "$root/lib/modules/$name" ;;
    esac
    case $name in scsi_debug.ko) ;; *) loads="$loads $name" ;; esac
done
[ -f "$root/lib/modules/ahci.ko" ] || skip "the kernel has no ahci module"
[ -f "$root/lib/modules/scsi_debug.ko" ] || skip "the kernel has no scsi_debug module"

# Two disks of 32 MiB: a partition table, and a marker sector.
mbr() { # IMAGE TYPE START COUNT
    local le
    le() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
    { printf '\x00\x00\x00\x00'; printf "\\x$2"; printf '\x00\x00\x00'; printf "$(le "$3")"; printf "$(le "$4")"; } |
        dd of="$1" bs=1 seek=446 conv=notrunc status=none
    printf '\x55\xaa' | dd of="$1" bs=1 seek=510 conv=notrunc status=none
}
for disk in ide sata; do
    truncate -s 32M "$work/$disk.img"
    mbr "$work/$disk.img" 83 2048 20480
    printf 'KORVANE-%s-MARKER' "$disk" | dd of="$work/$disk.img" bs=512 seek=4096 conv=notrunc status=none
    head -c $((2048 * 512)) /dev/urandom | dd of="$work/$disk.img" bs=512 seek=8192 conv=notrunc status=none
done

cat > "$root/init" <<'INIT'
#!/bin/sh
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in LOADS; do insmod /lib/modules/$m; done
sleep 1
export HOME=/tmp
echo
run() { # NAME ARGS...
    name=$1; shift
    echo "=== begin $name"
    korvane-cli --host --ini /tmp/k.ini "$@" 2>&1
    echo "=== end $name rc=$?"
}
run devices devices
for route in "--pio secondary" "--api 0"; do
    tag=$(echo $route | tr -d ' -')
    run passport.$tag $route passport
    run smart.$tag $route smart
    run verify.$tag $route scan --mode verify --end 16383 --block 256
    run read.$tag $route scan --mode read --end 16383 --block 256
    run write.$tag $route --yes scan --mode write --start 8192 --end 10239 --block 256 --yes
    run written.$tag $route sector read 9000
    run seek.$tag $route seek --count 200
    run partitions.$tag $route partitions
    run marker.$tag $route sector read 4096
done
run hpa.piosecondary --pio secondary hpa native
insmod /lib/modules/scsi_debug.ko dev_size_mb=8 opts=2 medium_error_start=1000 medium_error_count=8
sleep 1
run devices.debug devices
run unreadable --api 1 scan --mode read --end 2047 --block 256 --csv /tmp/debug.csv
echo "=== begin csv"; cat /tmp/debug.csv; echo "=== end csv rc=0"
poweroff -f
INIT
sed -i "s|LOADS|$loads|" "$root/init"
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) > "$work/initrd"

echo "booting $release ($accel)"
timeout 240 "$qemu" $accel -m 1024 -smp 1 -nographic -no-reboot -machine pc \
    -kernel "$kernel" -initrd "$work/initrd" -append "console=ttyS0 quiet panic=-1" \
    -drive file="$work/ide.img",if=none,id=ide,format=raw -device ide-hd,drive=ide,bus=ide.1,unit=0 \
    -device ahci,id=ahci -drive file="$work/sata.img",if=none,id=sata,format=raw -device ide-hd,drive=sata,bus=ahci.0 \
    -nic none >"$work/console.txt" 2>&1
rc=$?
# The console's own escape sequences (the firmware clears the screen) come off first.
tr -d '\r' < "$work/console.txt" | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1bc//g' > "$work/out.txt"
[ $rc -eq 124 ] && { tail -40 "$work/out.txt"; fail "the guest did not finish within 240 s"; }
grep -q "=== end csv" "$work/out.txt" || { tail -60 "$work/out.txt"; fail "the guest did not run the checks (qemu exited $rc)"; }

section() { sed -n "/^=== begin $1\$/,/^=== end $1 /p" "$work/out.txt"; }
status() { section "$1" | sed -n 's/^=== end .* rc=\([0-9]*\)$/\1/p'; }
expect() { # NAME RC PATTERN...: the run exited RC and printed every pattern
    local name=$1 want=$2; shift 2
    local got; got=$(status "$name")
    [ "$got" = "$want" ] || { section "$name"; fail "$name exited '$got', not $want"; }
    for p in "$@"; do section "$name" | grep -qE -- "$p" || { section "$name"; fail "$name printed no '$p'"; }; done
    echo "ok: $name"
}

expect devices 0 "QEMU HARDDISK"
for tag in piosecondary api0; do
    expect passport.$tag 0 "QEMU HARDDISK" "65536"
    expect smart.$tag 0 "SMART status: GOOD"
    expect verify.$tag 0 "Scan results: no warnings, no errors"
    expect read.$tag 0 "Scan results: no warnings, no errors"
    expect write.$tag 0 "LBA=8192..10239"
    expect written.$tag 0 "^0000: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    expect seek.$tag 0 "200"
    expect partitions.$tag 0 "Linux +2048 +22527"
    expect marker.$tag 0 "KORVANE-"
done
expect hpa.piosecondary 0 "^65536 LBAs native"
# The IDE disk held random data at 8192..10239 before the write scans: both images end zeroed there.
for disk in ide sata; do
    [ -z "$(dd if="$work/$disk.img" bs=512 skip=8192 count=2048 status=none | tr -d '\0' | head -c 1)" ] ||
        fail "the write scan left data on the $disk disk"
done
echo "ok: write scans zeroed both disks"

# The unreadable block: its error code, map letter and log line as the lab gives them.
linux_row=$(section csv | grep -E '^768,')
lab_csv=$work/lab.csv
"$cli" --quiet --ini "$work/lab.ini" --api 2 scan --mode read --start 30720 --end 31231 --block 256 \
    --csv "$lab_csv" >"$work/lab.txt" 2>&1
lab_row=$(grep -E '^30976,' "$lab_csv")
[ -n "$linux_row" ] && [ -n "$lab_row" ] || { section csv; cat "$lab_csv"; fail "no bad block row"; }
linux_cells=$(echo "$linux_row" | cut -d, -f4-6)
lab_cells=$(echo "$lab_row" | cut -d, -f4-6)
echo "linux: $linux_row; lab: $lab_row"
[ "$linux_cells" = "$lab_cells" ] || fail "class, error code and map letter differ: Linux $linux_cells, lab $lab_cells"
linux_line=$(section unreadable | grep -oE "Block 768 Error: .*" | head -1 | sed 's/Block 768 //')
lab_line=$(grep -oE "Block 30976 Error: .*" "$work/lab.txt" | head -1 | sed 's/Block 30976 //')
[ -n "$linux_line" ] && [ "$linux_line" = "$lab_line" ] || fail "log lines differ: Linux '$linux_line', lab '$lab_line'"
echo "ok: an unreadable sector reads the same on Linux as on the lab ($linux_cells, $linux_line)"
echo "guest suite passed"
