#!/usr/bin/env bash
# Every command and option the parsers define is in the manual pages, and the exit codes of
# kalvex-cli --help are those of its manual. Usage: manual_test.sh BIN_DIR DOCS_DIR
set -euo pipefail
bin=$1 docs=$2 fail=0
missing() { echo "FAIL: $1 is not in $2" >&2; fail=1; }
page() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$docs/$1"; } # without escaped hyphens and fonts

cli=$(page kalvex-cli.1) tree=$("$bin/kalvex-cli" --command-tree)
[ "$(wc -l <<<"$tree")" -gt 20 ] || missing "a command tree" "kalvex-cli --command-tree"
while IFS=$'\t' read -r path options; do
    for word in ${path##* } $options; do
        grep -qE -- "(^|[^a-z-])$word([^a-z-]|$)" <<<"$cli" || missing "'$word' ($path)" kalvex-cli.1
    done
done <<<"$tree"
status=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH [^E]/p' "$docs/kalvex-cli.1") footer=$("$bin/kalvex-cli" --help)
for code in $(grep -A2 "^Exit codes" <<<"$footer" | grep -oE '\b[0-9]+\b'); do
    grep -qE "^\.BR? ([0-9]+\b.*)?\b$code\b" <<<"$status" || missing "exit code $code" "kalvex-cli.1 (EXIT STATUS)"
done

gui=$(page kalvex.1) help=$(env -u DISPLAY "$bin/kalvex" --help)
for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -q -- "$option" <<<"$gui" || missing "$option" kalvex.1
done
exit $fail
