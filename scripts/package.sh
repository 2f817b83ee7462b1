#!/usr/bin/env bash
# Builds the Debian package (build/default/kalvex_VERSION_ARCH.deb) and checks it with lintian.
# With --install-test it then installs the package on this machine, starts both programs from
# it, removes it and checks that nothing is left behind (needs root; refuses to touch a
# kalvex package that is already installed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dpkg-dev lintian
cmake --preset default >/dev/null
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
if dpkg-query -W -f='${Status}' kalvex 2>/dev/null | grep -q "install ok installed"; then
    fail "a kalvex package is installed on this machine already; not replacing it"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; "${sudo_cmd[@]}" dpkg -r kalvex >/dev/null 2>&1 || true' EXIT
touch "$scratch/before"
"${sudo_cmd[@]}" dpkg -i "$deb" >/dev/null
dpkg -L kalvex >"$scratch/files"
version=$(dpkg-deb --field "$deb" Version)
[ "$(/usr/bin/kalvex-cli --version)" = "KALVEX_R$version" ] || fail "kalvex-cli --version"
[ "$(QT_QPA_PLATFORM=offscreen /usr/bin/kalvex --version)" = "KALVEX_R$version" ] ||
    fail "kalvex --version"
# Captured first: grep -q leaving early would stop the writer with SIGPIPE under pipefail.
info=$(/usr/bin/kalvex-cli --simulate info) || fail "kalvex-cli info exited $?"
grep -q "^Firmware revision:" <<<"$info" || fail "kalvex-cli info printed: $info"
xvfb-run -a /usr/bin/kalvex --simulate --screenshot "$scratch/shot.png" ||
    fail "kalvex --simulate under Xvfb"
[ -s "$scratch/shot.png" ] || fail "no screenshot from the installed kalvex"
# Installing wrote nothing into the user's home.
[ -z "$(find "$HOME" -maxdepth 3 -newer "$scratch/before" -path "*kalvex*" -print -quit)" ] ||
    fail "the package wrote into $HOME"
"${sudo_cmd[@]}" dpkg -r kalvex >/dev/null
while read -r f; do
    [ -f "$f" ] && fail "left behind after removal: $f"
done <"$scratch/files"
echo "installed, started and removed cleanly"
