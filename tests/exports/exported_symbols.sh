#!/bin/sh
# Compares the dynamic symbols that each shared library defines with the list
# kept beside this script, LIBRARY.symbols: a host sees these and nothing
# else. Copies of the standard library's templates (names in namespace std
# or __gnu_cxx, which the compiler may emit anywhere) and the sanitizers'
# own symbols are left out.
#
#   exported_symbols.sh [--update] LIBRARY.so...
#
# --update rewrites the lists from the libraries, for review.
set -eu

lists=$(dirname "$0")
update=false
if [ "${1:-}" = --update ]; then
    update=true
    shift
fi

failed=0
for library in "$@"; do
    list="$lists/$(basename "$library").symbols"
    actual=$(nm -D --defined-only --format=just-symbols "$library" |
        grep -Ev '^(_Z(T[ISV]|GV|Z)?N?K?(St|9__gnu_cxx)|__odr_asan|_init$|_fini$|_edata$|_end$|__bss_start$)' |
        LC_ALL=C sort -u)
    if $update; then
        printf '%s\n' "$actual" >"$list"
    elif ! printf '%s\n' "$actual" | diff -u "$list" - >&2; then
        echo "FAILED: $(basename "$library") exports other symbols than $list lists (- listed, + exported)" >&2
        failed=$((failed + 1))
    fi
done
passed=$(($# - failed))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
