#!/usr/bin/env bash
# Installs the build into a scratch prefix, moves it elsewhere, and runs the installed programs
# from there: they must find their texts beside them, whatever the prefix.
# Usage: install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/first" >/dev/null
mv "$scratch/first" "$scratch/moved"
root=$scratch/moved share=$scratch/moved/share

# Every installed program has its man page; the desktop entry starts an installed program,
# with an installed icon, for a MIME type the package defines.
for program in "$root"/bin/*; do
    name=$(basename "$program")
    page=$(zcat "$share/man/man1/$name.1.gz") || fail "no man page for $name"
    grep -q "^\.TH" <<<"$page" || fail "$name.1.gz is not a man page"
done
desktop=$share/applications/kalvex.desktop
exec_name=$(grep -m1 '^Exec=' "$desktop" | sed 's/^Exec=\([^ ]*\).*/\1/')
[ -x "$root/bin/$exec_name" ] || fail "the desktop entry starts $exec_name, not installed"
[[ $(grep -m1 '^Exec=' "$desktop") == *" %f" ]] || fail "the desktop entry does not pass the file"
grep -q -- '--online\|--device' "$desktop" && fail "the desktop entry must start offline"
icon=$(sed -n 's/^Icon=//p' "$desktop")
ls "$share"/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "icon $icon not installed"
mime=$(sed -n 's/^MimeType=\([^;]*\);/\1/p' "$desktop")
grep -q "type=\"$mime\"" "$share"/mime/packages/*.xml || fail "MIME type $mime not defined"
grep -q "<launchable type=\"desktop-id\">kalvex.desktop</launchable>" \
    "$share"/metainfo/*.metainfo.xml || fail "metainfo does not launch the desktop entry"
grep -q "release version=\"$version\"" "$share"/metainfo/*.metainfo.xml ||
    fail "metainfo does not name release $version"
# The completion the package installs knows the commands (it comes from the parser).
comp=$share/bash-completion/completions/kalvex-cli
got=$(bash -c 'source "$1"; COMP_WORDS=(kalvex-cli --device x pls set); COMP_CWORD=4
               _kalvex_cli; echo "${COMPREPLY[*]}"' _ "$comp") || fail "completion: $got"
[ "$got" = setpoint ] || fail "completing 'pls set' gave '$got'"
[ -f "$share/doc/kalvex/README.md" ] || fail "the README (Help > Help Topics) is not installed"
# The installed examples are ones the simulator takes.
"$root/bin/kalvex-cli" --simulate --home "$share/kalvex" \
    --state "$share/doc/kalvex/examples/board.state" info >"$scratch/example" ||
    fail "the example state file: $(cat "$scratch/example")"
grep -q "^Spindles: 36" "$scratch/example" || fail "the example state file: $(cat "$scratch/example")"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml >/dev/null ||
        fail "appstreamcli: $(appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml)"
fi

# --version and --help need no display (over SSH there is none).
for program in kalvex-cli kalvex; do
    got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/$program" --version) ||
        fail "$program --version exited $?"
    [ "$got" = "KALVEX_R$version" ] || fail "$program --version printed '$got'"
done
# Output is captured before grep: grep -q leaving early would stop the writer with SIGPIPE.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/kalvex" --help) ||
    fail "kalvex --help exited $?"
grep -q -- "Usage: kalvex .*--simulate" <<<"${help//$'\n'/ }" ||
    fail "kalvex --help does not list its options"
# A bad option is said on stderr at once, never in a box that nobody sees.
if timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
    "$root/bin/kalvex" --page 9 2>"$scratch/err"; then fail "kalvex --page 9 succeeded"; fi
grep -q -- "--page must be" "$scratch/err" || fail "kalvex --page 9 said: $(cat "$scratch/err")"

# A text only the installed copy holds proves which support folder the program read.
echo '7E,"installed text for the test"' >>"$share/kalvex/support/FaultErrCodes.txt"
echo "B8176 = 126" >"$scratch/state"
HOME=$scratch XDG_CONFIG_HOME=$scratch/config \
    "$root/bin/kalvex-cli" --simulate --state "$scratch/state" info >"$scratch/info"
grep -q "installed text for the test" "$scratch/info" || fail "info: $(cat "$scratch/info")"
[ ! -e "$scratch/config" ] || fail "the simulator run wrote settings: $(find "$scratch/config")"
echo "installed tree OK"
