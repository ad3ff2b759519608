#!/usr/bin/env bash
# Checks that Windows programs start on Windows 7 SP1: every function each one imports (its import
# table, as MinGW's objdump -p reads it) is in scripts/importazioni_ammesse.txt and came with
# Windows 7 (6.1) or earlier, and its PE header asks for no Windows newer than 7 (operating system
# and subsystem versions). Exits non-zero, naming each program and function at fault.
#
#   verifica_importazioni.sh <program.exe>...
set -euo pipefail

elenco="$(dirname "$0")/importazioni_ammesse.txt"
objdump=x86_64-w64-mingw32-objdump  # reads 32-bit programs too
[ $# -gt 0 ] || {
    echo "usage: $0 <program.exe>..." >&2
    exit 2
}

# A version "major.minor" as one number: 6.1 -> 601.
numero() { echo $((${1%%.*} * 100 + ${1#*.})); }
windows7=$(numero 6.1)

faults=0
for program in "$@"; do
    if ! tabella=$("$objdump" -p "$program"); then
        echo "verifica_importazioni: $program: objdump cannot read it" >&2
        faults=1
        continue
    fi
    for campo in OSystemVersion SubsystemVersion; do
        major=$(awk -v c="Major$campo" '$1 == c {print $2}' <<<"$tabella")
        minor=$(awk -v c="Minor$campo" '$1 == c {print $2}' <<<"$tabella")
        if [ -z "$major" ] || [ -z "$minor" ] || [ "$(numero "$major.$minor")" -gt "$windows7" ]; then
            echo "verifica_importazioni: $program: the PE header's $campo is '$major.$minor', newer than Windows 7 (6.1)" >&2
            faults=1
        fi
    done
    # One "DLL function" line per import; a function imported by ordinal has no name ("<none>").
    importazioni=$(awk '/^\tDLL Name: / {dll = $3; next}
                        /^$/ {dll = ""}
                        dll != "" && /^\t[0-9a-f]+\t/ {print dll, $NF}' <<<"$tabella")
    if [ -z "$importazioni" ]; then
        echo "verifica_importazioni: $program: no import found in its import table" >&2
        faults=1
        continue
    fi
    # Each import against the list: not listed, or newer than Windows 7, is a fault.
    if ! awk -v programma="$program" -v limite="$windows7" '
        function numero(v,  p) { split(v, p, "."); return p[1] * 100 + p[2] }
        NR == FNR {
            if ($0 ~ /^[ \t]*(#|$)/) next
            versione[tolower($1) " " $2] = $3
            nota = ""
            for (i = 4; i <= NF; ++i) nota = nota (i > 4 ? " " : "") $i
            note[tolower($1) " " $2] = nota
            next
        }
        {
            chiave = tolower($1) " " $2
            if (chiave in versione) v = versione[chiave]
            else if ((tolower($1) " *") in versione) v = versione[tolower($1) " *"]
            else {
                printf "verifica_importazioni: %s imports %s from %s, which is not in importazioni_ammesse.txt\n", programma, $2, $1
                errori = 1
                next
            }
            if (numero(v) > limite) {
                n = note[chiave] == "" ? "" : " (" note[chiave] ")"
                printf "verifica_importazioni: %s imports %s from %s, which came with Windows %s%s, newer than Windows 7 SP1\n", programma, $2, $1, v, n
                errori = 1
            }
        }
        END { exit errori }' "$elenco" - <<<"$importazioni" >&2; then
        faults=1
    fi
done
exit $faults
