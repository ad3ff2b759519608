#!/usr/bin/env bash
# The release check, run by test.sh after the Windows builds: runs package.sh twice, each time
# into an empty folder, and checks what it wrote, down to each program's imports. Exits non-zero,
# naming each fault, otherwise.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages unzip binutils-mingw-w64-x86-64 || exit 1

faults=0
fault() {
    printf 'verifica_rilascio: %s\n' "$*" >&2
    faults=1
}

# The version as the project() line states it, read here on its own, not as package.sh reads it.
versione=$(sed -n 's/^project(SetupVelmar VERSION \([^ )]*\).*/\1/p' "$VELMAR_ROOT/CMakeLists.txt")
if [[ ! $versione =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]]; then
    echo "verifica_rilascio: no major.minor.patch version in CMakeLists.txt ('$versione')" >&2
    exit 1
fi
fileversion="${BASH_REMATCH[1]}, ${BASH_REMATCH[2]}, ${BASH_REMATCH[3]}, 0"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
VELMAR_DIST="$work/primo" "$VELMAR_ROOT/package.sh" || exit 1
VELMAR_DIST="$work/secondo" "$VELMAR_ROOT/package.sh" >/dev/null || exit 1

name="SetupVelmar-$versione.zip"
zip="$work/primo/$name"
if [ "$(ls "$work/primo")" != "$name" ]; then
    echo "verifica_rilascio: package.sh wrote '$(ls "$work/primo" | tr '\n' ' ')', not $name" >&2
    exit 1
fi
cmp -s "$zip" "$work/secondo/$name" || fault "two runs over the same programs gave different zips"

programs=(win32/SetupVelmar.exe win32/SetupVelmarCmd.exe win64/SetupVelmar.exe win64/SetupVelmarCmd.exe)
diff <(printf '%s\n' "${programs[@]}" LEGGIMI.txt SHA256SUMS) <(unzip -Z1 "$zip") >&2 ||
    fault "the zip's entries are not the expected ones in the expected order"

unzip -q "$zip" -d "$work/contenuto"
cd "$work/contenuto"

sha256sum --quiet --strict -c SHA256SUMS >&2 || fault "SHA256SUMS does not match the files"
diff <(printf '%s\n' "${programs[@]}" LEGGIMI.txt) <(sed 's/^[0-9a-f]\{64\}  //' SHA256SUMS) >&2 ||
    fault "SHA256SUMS does not list exactly the other files"

# CR LF after every line and no other CR; decoded from Windows-1252 it is the source text, so
# its accented letters are single Windows-1252 bytes (à is E0), not UTF-8.
[ "$(tail -c 2 LEGGIMI.txt | od -An -tx1 | tr -d ' ')" = 0d0a ] || fault "LEGGIMI.txt does not end with CR LF"
tr -d '\r' <LEGGIMI.txt | sed 's/$/\r/' | cmp -s - LEGGIMI.txt ||
    fault "LEGGIMI.txt has a line end other than CR LF"
{ iconv -f WINDOWS-1252 -t UTF-8 LEGGIMI.txt | tr -d '\r' | cmp -s - "$VELMAR_ROOT/docs/LEGGIMI.txt"; } ||
    fault "LEGGIMI.txt is not docs/LEGGIMI.txt in Windows-1252"

# Each program: built for its folder's processor, stripped, and carrying the version.
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
for program in "${programs[@]}"; do
    pe=$(u32 "$program" 60)
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$program" | tr -d ' ')
    case "$program" in
        win32/*) [ "$machine" = 014c ] || fault "$program is not a 32-bit x86 program ($machine)" ;;
        win64/*) [ "$machine" = 8664 ] || fault "$program is not an x86-64 program ($machine)" ;;
    esac
    [ "$(u32 "$program" $((pe + 16)))" = 0 ] || fault "$program is not stripped"
    resources=$(x86_64-w64-mingw32-windres -i "$program" -O rc)
    for line in " FILEVERSION $fileversion" " PRODUCTVERSION $fileversion" \
        "VALUE \"FileVersion\", \"$versione\"" "VALUE \"ProductVersion\", \"$versione\"" \
        "VALUE \"OriginalFilename\", \"${program#*/}\""; do
        grep -qF -- "$line" <<<"$resources" || fault "$program: no '$line' in its version resource"
    done
done

# Each program starts on Windows 7 SP1: no import newer than it, none off the committed list.
"$VELMAR_ROOT/scripts/verifica_importazioni.sh" "${programs[@]}" ||
    fault "a program imports a function that Windows 7 SP1 lacks, or one not on the list (above)"

[ $faults -eq 0 ] && log "Release $name checked: $(unzip -Z1 "$zip" | tr '\n' ' ')"
exit $faults
