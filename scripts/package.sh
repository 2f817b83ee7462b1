#!/usr/bin/env bash
# Builds the Debian package (build/default/kalvex_VERSION_ARCH.deb) and checks it with lintian.
# With --install-test it then installs the package on this machine, starts both programs from
# it, removes it and checks that nothing is left behind (needs root; refuses to touch a
# kalvex package that is already installed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dpkg-dev lintian
# The default build as scripts/test.sh left it (nothing to rebuild then); configured only if new.
[ -f build/default/CMakeCache.txt ] || cmake --preset default >/dev/null
cmake --build --preset default
rm -f build/default/kalvex_*.deb
(cd build/default && cpack -G DEB >/dev/null)
deb=$(ls build/default/kalvex_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Section Depends
lintian --fail-on error,warning "$deb"

[ "${1:-}" = "--install-test" ] || exit 0
fail() { echo "FAIL: $*" >&2; exit 1; }
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if dpkg-query -W -f='${Status}' kalvex 2>/dev/null | grep -q "ok installed\|config-files"; then
    fail "a kalvex package is installed on this machine already; not replacing it"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; "${sudo_cmd[@]}" dpkg -P kalvex >/dev/null 2>&1 || true' EXIT

# The whole file tree, but for what changes on its own (kernel and run-time folders, logs,
# caches, dpkg's and apt's records), this repository and the scratch folder. INSTALL_TEST_SKIP
# adds folders (':'-separated) that others change meanwhile on a shared machine.
skip=(/proc /sys /dev /run /tmp /var/tmp /var/log /var/cache /var/lib/dpkg /var/lib/apt
      /var/backups /var/lib/systemd "$PWD" "$scratch")
IFS=: read -r -a extra <<<"${INSTALL_TEST_SKIP:-}"
skip+=("${extra[@]}")
if command -v ccache >/dev/null; then skip+=("$(ccache -k cache_dir)"); fi
snapshot() {
    local prune=() d
    for d in "${skip[@]}"; do [ -n "$d" ] && prune+=(-path "$d" -prune -o); done
    "${sudo_cmd[@]}" find / -xdev "${prune[@]}" -print | LC_ALL=C sort >"$1"
}
# The caches that dpkg triggers rebuild on install and removal (desktop menu, MIME, icons).
rebuilt='^/usr/share/(applications/mimeinfo\.cache|icons/hicolor/icon-theme\.cache|mime/)'
new_paths() { LC_ALL=C comm -13 "$scratch/tree.before" "$1" | grep -Ev "$rebuilt" || true; }

snapshot "$scratch/tree.before"
touch "$scratch/before"
"${sudo_cmd[@]}" dpkg -i "$deb" >/dev/null
dpkg -L kalvex >"$scratch/files"
conffiles=$(dpkg-query -W -f='${Conffiles}' kalvex | awk 'NF {print $1}')
[ "$conffiles" = /etc/kalvex/RSPort.cfg ] || fail "conffiles: $conffiles"

# Run the way a service engineer would, as root, with a home of its own to inspect.
home=$scratch/home
mkdir -p "$home"
run() { env -u XDG_CONFIG_HOME HOME="$home" "$@"; }
version=$(dpkg-deb --field "$deb" Version)
[ "$(run /usr/bin/kalvex-cli --version)" = "KALVEX_R$version" ] || fail "kalvex-cli --version"
[ "$(run env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/kalvex --version)" = \
    "KALVEX_R$version" ] || fail "kalvex --version without a display"
# Captured first: grep -q leaving early would stop the writer with SIGPIPE under pipefail.
info=$(run /usr/bin/kalvex-cli --simulate info) || fail "kalvex-cli info exited $?"
grep -q "^Firmware revision:" <<<"$info" || fail "kalvex-cli info printed: $info"
# A numbered port reads the system-wide default (port 1), whatever the port then did (most
# machines have no board on ttyS0).
run /usr/bin/kalvex-cli info >"$scratch/port.out" 2>&1 || true
grep -q "/dev/ttyS0 (9600 baud, from /etc/kalvex/RSPort.cfg)" "$scratch/port.out" ||
    fail "kalvex-cli info said: $(cat "$scratch/port.out")"
# Without it, the defaults are written, and only into the user's folder.
"${sudo_cmd[@]}" mv /etc/kalvex/RSPort.cfg "$scratch/etc-default"
run /usr/bin/kalvex-cli info >"$scratch/port.out" 2>&1 || true
"${sudo_cmd[@]}" mv "$scratch/etc-default" /etc/kalvex/RSPort.cfg
[ -f "$home/.config/KALVEX/RSPort.cfg" ] ||
    fail "the user's RSPort.cfg was not written: $(cat "$scratch/port.out")"
run xvfb-run -a /usr/bin/kalvex --simulate --screenshot "$scratch/shot.png" ||
    fail "kalvex --simulate under Xvfb"
[ -s "$scratch/shot.png" ] || fail "no screenshot from the installed kalvex"
# Nothing the programs write (settings under every name they use) lands outside the user's home.
prune=()
for d in "${skip[@]}"; do [ -n "$d" ] && prune+=(-path "$d" -prune -o); done
written=$("${sudo_cmd[@]}" find / -xdev "${prune[@]}" -newer "$scratch/before" \
    \( -iname RSPort.cfg -o -iname "KALVEX*.conf" -o -iname kalvex.ini -o -iname ORVILO.SFG \
    -o -path "*Unknown Organization*" \) -print)
[ -z "$written" ] || fail "settings written outside the user's home: $written"

"${sudo_cmd[@]}" dpkg -r kalvex >/dev/null 2>"$scratch/remove.err" ||
    fail "dpkg -r: $(cat "$scratch/remove.err")"
[ ! -s "$scratch/remove.err" ] || fail "dpkg -r warned: $(cat "$scratch/remove.err")"
snapshot "$scratch/tree.removed"
left=$(new_paths "$scratch/tree.removed")
# Debian keeps a package's conffiles until it is purged, and nothing else.
[ "$left" = $'/etc/kalvex\n/etc/kalvex/RSPort.cfg' ] ||
    fail "left behind after removal (only the conffile may stay until purge): $left"
"${sudo_cmd[@]}" dpkg -P kalvex >/dev/null 2>"$scratch/purge.err" ||
    fail "dpkg -P: $(cat "$scratch/purge.err")"
[ ! -s "$scratch/purge.err" ] || fail "dpkg -P warned: $(cat "$scratch/purge.err")"
snapshot "$scratch/tree.purged"
left=$(new_paths "$scratch/tree.purged")
[ -z "$left" ] || fail "left behind after purge: $left"
while read -r f; do
    [ -e "$f" ] && ! grep -qxF "$f" "$scratch/tree.before" && fail "left behind: $f"
done <"$scratch/files"
echo "installed, run as root, removed (conffile kept) and purged: the file tree is as before"
