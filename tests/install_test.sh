#!/usr/bin/env bash
# The installed program: `cmake --install` into a temporary prefix, the files
# a desktop expects, their validators, and the installed binary saving its
# results log into the user's data folder because its own folder cannot be
# written. A missing tool skips its part with a message (exit 77 when
# nothing could be checked).
#   install_test.sh BUILD_DIR [files|window|package|system|compare]
set -uo pipefail
build=$1
part=${2:-files}
tmp=$(mktemp -d /tmp/vt_install_XXXXXX)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
prefix=$tmp/prefix
id=io.github.vesktest.Vesktest
fail() { echo "FAIL: $*"; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

if [ "$part" = files ]; then
    for f in bin/vesktest share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
             share/icons/hicolor/scalable/apps/vesktest.svg share/man/man1/vesktest.1.gz; do
        [ -e "$prefix/$f" ] || fail "missing $f"
    done
    for s in 16 32 48 64 128 256; do
        [ -e "$prefix/share/icons/hicolor/${s}x$s/apps/vesktest.png" ] || fail "missing ${s}px icon"
    done
    # The desktop entry's icon and program are the installed ones.
    grep -qx 'Icon=vesktest' "$prefix/share/applications/$id.desktop" || fail "desktop Icon"
    grep -qx 'Exec=vesktest' "$prefix/share/applications/$id.desktop" || fail "desktop Exec"
    grep -q '^StartupWMClass=.' "$prefix/share/applications/$id.desktop" ||
        fail "desktop StartupWMClass"
    "$prefix/bin/vesktest" --version | grep -q '^vesktest ' || fail "--version"
    checked=0
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
        checked=1
    else echo "SKIP: desktop-file-validate missing (package desktop-file-utils)"; fi
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli"
        checked=1
    else echo "SKIP: appstreamcli missing (package appstream)"; fi
    if command -v man >/dev/null; then
        MANWIDTH=80 man -l "$prefix/share/man/man1/vesktest.1.gz" 2>&1 | grep -q 'FILES' || fail "man page"
    fi
    [ $checked = 1 ] || skip "no validator installed"
    echo "installed tree complete"
    exit 0
fi

if [ "$part" = package ]; then
    command -v cpack >/dev/null || skip "cpack missing (package cmake)"
    command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps missing (package dpkg-dev)"
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/deb" >/dev/null || fail "cpack"
    deb=$(ls "$tmp"/deb/vesktest_*.deb) || fail "no .deb"
    list=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for f in ./usr/bin/vesktest ./usr/share/applications/$id.desktop \
             ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/vesktest.png \
             ./usr/share/man/man1/vesktest.1.gz ./usr/share/doc/vesktest/copyright; do
        grep -qx "$f" <<<"$list" || fail "package lacks $f"
    done
    # Computed dependencies: the Qt libraries the executable links.
    dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends not computed"
    # The packaged program: hardened, and without the sections Debian strips.
    dpkg-deb -x "$deb" "$tmp/root" || fail "dpkg-deb -x"
    "$(dirname "$0")/check_hardening.sh" readelf "$tmp/root/usr/bin/vesktest" || fail "hardening"
    sections=$(readelf -S -W "$tmp/root/usr/bin/vesktest" |
        sed -n 's/^ *\[ *[0-9]*\] \([^ ]*\) .*/\1/p' | grep -xE '\.(comment|note)')
    [ -z "$sections" ] || fail "unneeded sections:" $sections
    if command -v lintian >/dev/null; then
        found=$(lintian --display-info --pedantic --display-experimental "$deb" 2>/dev/null) ||
            fail "lintian"
        [ -z "$found" ] || fail "lintian reports:"$'\n'"$found"
    else echo "SKIP: lintian missing (package lintian)"; fi
    echo "package holds the installed tree"
    exit 0
fi

# compare: the desktop entry's action "Compare results", validated and run as
# a launcher runs it (its Exec line, the installed program found on PATH),
# opens the Compare window under Xvfb.
if [ "$part" = compare ]; then
    command -v desktop-file-validate >/dev/null || skip "desktop-file-validate missing (package desktop-file-utils)"
    command -v xvfb-run >/dev/null || skip "xvfb-run missing (package xvfb)"
    command -v xdotool >/dev/null || skip "xdotool missing (package xdotool)"
    entry=$prefix/share/applications/$id.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    grep -qx 'Actions=compare;' "$entry" || fail "no action compare in Actions"
    exec_line=$(sed -n '/^\[Desktop Action compare\]/,/^\[/s/^Exec=//p' "$entry")
    [ "$exec_line" = "vesktest compare" ] || fail "the action's Exec is '$exec_line'"
    cat > "$tmp/open.sh" <<'OPEN'
#!/usr/bin/env bash
# Runs the action's Exec line and waits for a window titled "Compare results".
sh -c "$1" &
pid=$!
win=
for _ in $(seq 150); do
    win=$(xdotool search --name '^Compare results$' 2>/dev/null | head -1)
    [ -n "$win" ] && break
    sleep 0.1
done
kill $pid 2>/dev/null
wait $pid 2>/dev/null
[ -n "$win" ] || { echo "no Compare window"; exit 1; }
OPEN
    chmod 755 "$tmp/open.sh"
    mkdir -p "$tmp/home"
    env -u XDG_DATA_HOME HOME="$tmp/home" PATH="$prefix/bin:$PATH" QT_QPA_PLATFORM=xcb \
        xvfb-run -a "$tmp/open.sh" "$exec_line" || fail "the action opened no Compare window"
    echo "the action '$exec_line' opened the Compare window"
    exit 0
fi

if [ "$part" = system ]; then
    # The package installed into this very system, run as root, and purged,
    # inside a mount namespace whose /usr, /var and /etc are overlays that
    # vanish with it: the real system is never changed.
    [ "$(id -u)" -eq 0 ] || skip "needs root (dpkg and mount namespaces)"
    command -v unshare >/dev/null || skip "unshare missing (package util-linux)"
    command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps missing (package dpkg-dev)"
    unshare -m true 2>/dev/null || skip "no mount namespaces here"
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/deb" >/dev/null || fail "cpack"
    deb=$(ls "$tmp"/deb/vesktest_*.deb) || fail "no .deb"
    mkdir -p "$tmp/home"
    cat > "$tmp/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
tmp=$1 deb=$2
fail() { echo "FAIL: $*"; exit 1; }
for d in usr var etc; do
    mkdir -p "$tmp/ovl/$d/up" "$tmp/ovl/$d/work"
    mount -t overlay overlay -o "lowerdir=/$d,upperdir=$tmp/ovl/$d/up,workdir=$tmp/ovl/$d/work" \
        "/$d" || fail "overlay on /$d"
done
# The manual pages' index is not rebuilt on every install and purge here.
rm -f /var/lib/man-db/auto-update
dpkg -i "$deb" >/dev/null 2>&1 || fail "dpkg -i"
[ -x /usr/bin/vesktest ] || fail "not installed"
# Root may write /usr/bin; the installed program still keeps its log in the
# data folder.
env -u XDG_DATA_HOME HOME="$tmp/home" QT_QPA_PLATFORM=offscreen \
    /usr/bin/vesktest batch --tests 3 --shapes 1 --save >/dev/null || fail "batch --save"
[ ! -e /usr/bin/Result3.txt ] || fail "a log beside the installed program"
[ "$(wc -l < "$tmp/home/.local/share/vesktest/Result3.txt")" -eq 6 ] || fail "no log in the data folder"
# What an earlier version left there goes with the purge too.
echo "earlier" > /usr/bin/Result3.txt
DEBIAN_FRONTEND=noninteractive apt-get purge -y vesktest >/dev/null 2>&1 || fail "apt-get purge"
left=$(find /usr /etc /var/lib/dpkg/info -name '*vesktest*' -o -name Result3.txt 2>/dev/null)
[ -z "$left" ] || fail "left behind:"$'\n'"$left"
echo "installed copy keeps its log in the data folder; purge leaves nothing"
INSIDE
    chmod 755 "$tmp/inside.sh"
    unshare -m --propagation private "$tmp/inside.sh" "$tmp" "$deb"
    exit $?
fi

# window: Save under Xvfb, as a user who cannot write the program's folder.
command -v xvfb-run >/dev/null || skip "xvfb-run missing (package xvfb)"
command -v xdotool >/dev/null || skip "xdotool missing (package xdotool)"
home=$tmp/home
mkdir -p "$home"
run=()
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$home"  # root writes anywhere: the program runs as nobody
    run=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod a-w "$prefix/bin"
fi
cat > "$tmp/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Opens the window, checks its class, turns the pages to Result with the
# mouse wheel over the tab bar and presses Save (its place in the window's
# fixed layout).
"$1" &
pid=$!
win=
for _ in $(seq 100); do
    win=$(xdotool search --name '^Vesk-Test$' 2>/dev/null | head -1)
    [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "no window"; kill $pid; exit 1; }
# Its X11 class is the desktop entry's StartupWMClass, so that a dock groups
# the window with its menu entry.
xdotool search --class "^$3\$" | grep -qx "$win" || { echo "window class is not $3"; kill $pid; exit 1; }
sleep 1.5
# The wheel does not wrap round the pages: far down lands on the last page
# (HardForecast) whatever a busy machine drops, one up is Result. A click
# that missed (a dropped wheel step) falls on a label of the last page, so
# the round is tried again.
for _ in 1 2 3; do
    xdotool mousemove --window "$win" 20 12
    for _ in $(seq 10); do xdotool click 5; sleep 0.1; done
    sleep 0.3
    xdotool click 4
    sleep 0.5
    xdotool mousemove --window "$win" 365 51 click 1
    for _ in $(seq 50); do [ -s "$2" ] && break; sleep 0.1; done
    [ -s "$2" ] && break
done
kill $pid
wait $pid 2>/dev/null
exit 0
DRIVE
chmod 755 "$tmp/drive.sh"
log=$home/.local/share/vesktest/Result3.txt
class=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/$id.desktop")
env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=xcb "${run[@]}" \
    xvfb-run -a "$tmp/drive.sh" "$prefix/bin/vesktest" "$log" "$class" || fail "driving the window"
[ -s "$log" ] || fail "no log at $log"
[ "$(wc -l < "$log")" -eq 6 ] || fail "expected header and one line in $log"
[ ! -e "$prefix/bin/Result3.txt" ] || fail "a log beside the installed program"
[ "$(stat -c %a "$(dirname "$log")")" = 700 ] || fail "data folder mode"
echo "Save wrote $log"
