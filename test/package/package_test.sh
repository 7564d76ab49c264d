#!/bin/bash
# Builds the Debian package from the build tree, unpacks it into a temporary root and runs the
# programs from there; checks the desktop entry, the AppStream file, the polkit policy, the manual
# pages and the completion that come with it.
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack did not build the package"; }
deb=$(ls "$work"/out/korvane_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no korvane_*.deb was made"
echo "package: $(basename "$deb")"

dpkg-deb --field "$deb" Package | grep -qx korvane || fail "the package is not named korvane"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
echo "$depends" | grep -q libqt6 || fail "the dependencies do not name the Qt libraries"

root=$work/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
for f in usr/bin/korvane usr/bin/korvane-cli usr/share/korvane/korhlp.htm \
         usr/share/applications/korvane.desktop usr/share/metainfo/org.korvane.Korvane.metainfo.xml \
         usr/share/polkit-1/actions/org.korvane.korvane.policy \
         usr/share/icons/hicolor/scalable/apps/korvane.svg \
         usr/share/icons/hicolor/16x16/apps/korvane.png usr/share/icons/hicolor/48x48/apps/korvane.png \
         usr/share/icons/hicolor/256x256/apps/korvane.png \
         usr/share/man/man1/korvane.1.gz usr/share/man/man1/korvane-cli.1.gz \
         usr/share/bash-completion/completions/korvane-cli; do
    [ -e "$root/$f" ] || fail "the package lacks $f"
done

# The installed programs run from the unpacked root.
version=$("$root/usr/bin/korvane-cli" --version) || fail "korvane-cli --version exited $?"
[ "$version" = "korvane-cli $(dpkg-deb --field "$deb" Version)" ] || fail "--version printed '$version'"
HOME=$work/home XDG_CONFIG_HOME=$work/config "$root/usr/bin/korvane-cli" demo >"$work/demo.txt" 2>&1 ||
    { cat "$work/demo.txt"; fail "korvane-cli demo exited non-zero"; }
grep -q "Model" "$work/demo.txt" || { cat "$work/demo.txt"; fail "demo printed no passport"; }
QT_QPA_PLATFORM=offscreen "$root/usr/bin/korvane" --help >/dev/null 2>&1 || fail "korvane --help failed"

desktop-file-validate "$root/usr/share/applications/korvane.desktop" || fail "desktop entry rejected"
grep -q "^Name=Simulated lab$" "$root/usr/share/applications/korvane.desktop" || fail "no lab action"
grep -q "^Exec=pkexec /usr/bin/korvane --host$" "$root/usr/share/applications/korvane.desktop" ||
    fail "no host action through pkexec"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.korvane.Korvane.metainfo.xml" || fail "metainfo rejected"
xmllint --noout "$root/usr/share/polkit-1/actions/org.korvane.korvane.policy" || fail "policy is not well-formed"
grep -q '<annotate key="org.freedesktop.policykit.exec.path">/usr/bin/korvane</annotate>' \
    "$root/usr/share/polkit-1/actions/org.korvane.korvane.policy" || fail "the policy names another program"
for page in korvane korvane-cli; do
    out=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "man $page warns: $out"
done

# The completion offers the commands and a command's options.
complete_line() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _korvane_cli; echo "${COMPREPLY[*]}"' \
        _ "$root/usr/share/bash-completion/completions/korvane-cli" "$@"
}
[ "$(complete_line korvane-cli sm)" = "smart" ] || fail "completion of 'sm' is '$(complete_line korvane-cli sm)'"
[[ " $(complete_line korvane-cli --api 0 scan --de) " == *" --defects "* ]] || fail "no scan option completed"
[ "$(complete_line korvane-cli --pio se)" = "secondary" ] || fail "no channel completed"
echo "package installs and runs"
