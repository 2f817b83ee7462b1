#!/usr/bin/env bash
# check-core-symbols.sh NM CXX ARCHIVE ALLOWED_SO... -- OTHER_CORE_ARCHIVES...
# Fails, naming them, when ARCHIVE needs symbols that none of the allowed libraries define.
set -euo pipefail
nm=$1 cxx=$2 archive=$3
shift 3
allowed=() others=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do allowed+=("$1"); shift; done
[ $# -gt 0 ] && shift
others=("$@")
for lib in libstdc++.so libc.so.6 libm.so.6 libgcc_s.so.1 libasan.so libubsan.so; do
    path=$("$cxx" -print-file-name="$lib")
    [ -f "$path" ] && allowed+=("$path")
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
{
    for so in "${allowed[@]}"; do
        # libstdc++.so may be a linker script; its real library sits beside it.
        real=$(readlink -f "$so")
        if ! "$nm" -D --defined-only "$real" >/dev/null 2>&1; then
            real=$(ls "$(dirname "$real")"/libstdc++.so.6 2>/dev/null || true)
            [ -n "$real" ] || continue
        fi
        "$nm" -D --defined-only "$real" | awk '{print $NF}' | sed 's/@.*//'
    done
    for a in "$archive" "${others[@]}"; do
        "$nm" --defined-only "$a" 2>/dev/null | awk 'NF == 3 {print $3}'
    done
} | sort -u >"$tmp/defined"
"$nm" -u "$archive" 2>/dev/null | awk '$1 == "U" {print $2}' | sort -u >"$tmp/needed"
missing=$(comm -23 "$tmp/needed" "$tmp/defined" |
          grep -v -E '^(_GLOBAL_OFFSET_TABLE_|__dso_handle|__tls_get_addr|__(asan|ubsan|sanitizer|lsan)_.*)$' || true)
if [ -n "$missing" ]; then
    names=$(for so in "${allowed[@]}"; do basename "$so"; done | grep -i qt | tr '\n' ' ')
    echo "error: $(basename "$archive") needs symbols from outside ${names% }:" >&2
    echo "$missing" | c++filt | head -20 | sed 's/^/    /' >&2
    exit 1
fi
