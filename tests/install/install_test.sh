#!/usr/bin/env bash
# The installed tree, moved from its prefix, still works: programs find their texts beside them.
# Usage: install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2 scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
cmake --install "$build" --prefix "$scratch/first" >/dev/null
mv "$scratch/first" "$scratch/moved"
root=$scratch/moved share=$scratch/moved/share desktop=$scratch/moved/share/applications/kalvex.desktop
meta=("$share"/metainfo/*.metainfo.xml)

for program in "$root"/bin/*; do
    page=$(zcat "$share/man/man1/${program##*/}.1.gz") || fail "no man page for ${program##*/}"
    grep -q "^\.TH" <<<"$page" || fail "${program##*/}.1.gz is not a man page"
done
# The desktop entry starts an installed program offline with the file, an installed icon, a MIME
# type the package defines; the metainfo launches it and names this release.
exec_line=$(grep -m1 '^Exec=' "$desktop") exec_name=$(sed 's/^Exec=\([^ ]*\).*/\1/' <<<"$exec_line")
[ -x "$root/bin/$exec_name" ] || fail "the desktop entry starts $exec_name, not installed"
[[ $exec_line == *" %f" ]] || fail "the desktop entry does not pass the file"
grep -q -- '--online\|--device' "$desktop" && fail "the desktop entry must start offline"
icon=$(sed -n 's/^Icon=//p' "$desktop") mime=$(sed -n 's/^MimeType=\([^;]*\);/\1/p' "$desktop")
ls "$share"/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "icon $icon not installed"
grep -q "type=\"$mime\"" "$share"/mime/packages/*.xml || fail "MIME type $mime not defined"
grep -q '<launchable type="desktop-id">kalvex.desktop</launchable>' "${meta[@]}" ||
    fail "metainfo does not launch the desktop entry"
grep -q "release version=\"$version\"" "${meta[@]}" || fail "metainfo does not name release $version"
# The completion comes from the parser: it knows the commands.
got=$(bash -c 'source "$1"; COMP_WORDS=(kalvex-cli --device x pls set); COMP_CWORD=4
               _kalvex_cli; echo "${COMPREPLY[*]}"' _ "$share/bash-completion/completions/kalvex-cli") ||
    fail "completion: $got"
[ "$got" = setpoint ] || fail "completing 'pls set' gave '$got'"
[ -f "$share/doc/kalvex/README.md" ] || fail "the README (Help > Help Topics) is not installed"
# The installed example state is one the simulator takes.
"$root/bin/kalvex-cli" --simulate --home "$share/kalvex" --state "$share/doc/kalvex/examples/board.state" \
    info >"$scratch/example" && grep -q "^Spindles: 36" "$scratch/example" ||
    fail "the example state file: $(cat "$scratch/example")"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
if command -v appstreamcli >/dev/null; then
    out=$(appstreamcli validate --no-net "${meta[@]}") || fail "appstreamcli: $out"
fi

# --version and --help need no display (over SSH there is none); help is captured before grep,
# or grep -q leaving early would stop the writer with SIGPIPE.
for program in kalvex-cli kalvex; do
    got=$(nodisplay "$root/bin/$program" --version) || fail "$program --version exited $?"
    [ "$got" = "KALVEX_R$version" ] || fail "$program --version printed '$got'"
done
help=$(nodisplay "$root/bin/kalvex" --help) || fail "kalvex --help exited $?"
grep -q -- "Usage: kalvex .*--simulate" <<<"${help//$'\n'/ }" || fail "kalvex --help does not list its options"
# A bad option is said on stderr at once, never in a box that nobody sees.
if timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$root/bin/kalvex" --page 9 2>"$scratch/err"; then
    fail "kalvex --page 9 succeeded"
fi
grep -q -- "--page must be" "$scratch/err" || fail "kalvex --page 9 said: $(cat "$scratch/err")"

# A text only the installed copy holds proves which support folder the program read.
echo '7E,"installed text for the test"' >>"$share/kalvex/support/FaultErrCodes.txt"
echo "B8176 = 126" >"$scratch/state"
HOME=$scratch XDG_CONFIG_HOME=$scratch/config \
    "$root/bin/kalvex-cli" --simulate --state "$scratch/state" info >"$scratch/info"
grep -q "installed text for the test" "$scratch/info" || fail "info: $(cat "$scratch/info")"
[ ! -e "$scratch/config" ] || fail "the simulator run wrote settings: $(find "$scratch/config")"
echo "installed tree OK"
