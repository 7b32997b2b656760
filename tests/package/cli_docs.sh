#!/usr/bin/env bash
# What tells of the command line besides its help: the manual page reads without troff
# warnings in an ASCII and a UTF-8 locale and documents every option the help names; the
# bash completion, as bash runs it, offers the commands, those options, the values of
# --kind and --to in both spellings, and file names after "--".
#   cli_docs.sh KUMIRO MANUAL_PAGE COMPLETION
set -euo pipefail
export LC_ALL=C # the order of sort, and the help in English
kumiro=$(realpath "$1")
manual=$(realpath "$2")
source "$(realpath "$3")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch -- "a b.txt" "-odd.txt"
fail() { echo "FAIL: $*" >&2; exit 1; }

# "-o, --output=FILE    text" lines of a command's help: "-o" and "--output=".
help_options() {
    "$kumiro" "$1" --help | sed -n 's/^  \(-[^ ,]*\(, -[^ ,]*\)*\).*/\1/p' | sed 's/, /\n/g; s/=.*/=/' | sort -u
}

for locale in C C.UTF-8; do
    warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man under $locale warns: $warnings"
done
# Where the device cannot show the Japanese name it is left out, not shown blank.
LC_ALL=C.UTF-8 man -l "$manual" 2>/dev/null | grep -q 'kumiro *(くみろ君) is' || fail "the Japanese name is not shown"
ascii=$(LC_ALL=C man -l "$manual" 2>/dev/null)
! printf '%s\n' "$ascii" | grep -qF '()' || fail "an empty () under LC_ALL=C"
# The headings of OPTIONS: "       -o OUTPUT, --output=OUTPUT" gives "-o" and "--output".
documented=$(printf '%s\n' "$ascii" | sed -n '/^OPTIONS/,/^EXIT STATUS/p' | grep '^       -' |
    sed 's/^ *//; s/   .*//; s/, /\n/g' | awk '{print $1}' | sed 's/=.*//' | sort -u)
for command in combine convert; do
    for option in $(help_options "$command" | tr -d =); do
        grep -qxF -- "$option" <<<"$documented" || fail "the manual page does not document $command $option"
    done
done

# complete WORD... : what completing the last word offers, sorted, one line.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    _kumiro
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
    local want=$1; shift
    local got
    got=$(complete_words "$@")
    [ "$got" = "$want" ] || fail "'$*' offers '$got', not '$want'"
}

expect "-odd.txt a b.txt combine convert " kumiro ""
expect "-odd.txt a b.txt " kumiro "a b.txt" ""
expect "--help --version -h " kumiro -
expect "excel text word " kumiro combine --kind = ""
expect "word " kumiro combine --kind = w
expect "excel text word " kumiro combine --kind ""
expect "doc docx odt pdf rtf txt " kumiro convert --to ""
mkdir outs
expect "outs " kumiro convert --outdir o
expect "a b.txt " kumiro combine -o "a"
expect "-odd.txt " kumiro combine -- -o

# Every option a command's help names is offered, and nothing else.
for command in combine convert; do
    help=$(help_options "$command" | tr '\n' ' ')
    offered=$(complete_words kumiro "$command" - | tr ' ' '\n' | grep . | sort -u | tr '\n' ' ')
    [ "$help" = "$offered" ] || fail "$command: the help names '$help', completion offers '$offered'"
done
echo "manual page and completion: every option of the help"
