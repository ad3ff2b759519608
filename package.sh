#!/usr/bin/env bash
# Builds the two Windows programs in Release (in test.sh's build folders, configured the same way)
# and writes dist/SetupVelmar-<version>.zip with, in this order:
#   win32/SetupVelmar.exe  win32/SetupVelmarCmd.exe  win64/SetupVelmar.exe  win64/SetupVelmarCmd.exe
#   LEGGIMI.txt  (docs/LEGGIMI.txt in Windows-1252 with CR LF line ends)
#   SHA256SUMS   (sha256sum's format, for every other file)
# The programs are stripped; the stand-in component stays out. Fixed order, times and modes: two
# runs over the same programs give the same bytes. VELMAR_DIST=<folder> writes the zip elsewhere.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

DIST="${VELMAR_DIST:-$VELMAR_ROOT/dist}"

ensure_build_packages zip

# The same configuration as test.sh's Windows steps, so that neither undoes the other's.
build_programs() {
    local dir="$VELMAR_BUILD/$1" toolchain="$2"
    log "Building SetupVelmar and SetupVelmarCmd in $dir"
    cmake -S "$VELMAR_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/$toolchain" >/dev/null
    cmake --build "$dir" -j "$JOBS" --target SetupVelmar SetupVelmarCmd
}

# The version the build carries: the project() line of CMakeLists.txt, through the generated header.
build_version() {
    sed -n 's/^#define VELMAR_VERSIONE_STRINGA "\(.*\)"$/\1/p' \
        "$VELMAR_BUILD/$1/generated/velmar/versione.h"
}

build_programs win64 toolchain-mingw64.cmake
build_programs win32 toolchain-mingw32.cmake

versione=$(build_version win64)
if [[ ! $versione =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || [ "$(build_version win32)" != "$versione" ]; then
    echo "package.sh: no single version in the builds ('$versione', '$(build_version win32)')" >&2
    exit 1
fi

# The link time in a program's PE header (little-endian, as od reads it on this machine). strip
# would write the current time there; given as SOURCE_DATE_EPOCH, it keeps the link time.
link_time() {
    local pe
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tu4 -j$((pe + 8)) -N4 "$1" | tr -d ' '
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/win32" "$stage/win64"

for arch in win32 win64; do
    strip_bin=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$VELMAR_BUILD/$arch/CMakeCache.txt")
    for program in SetupVelmar.exe console/SetupVelmarCmd.exe; do
        built="$VELMAR_BUILD/$arch/$program"
        SOURCE_DATE_EPOCH=$(link_time "$built") "$strip_bin" -o "$stage/$arch/${program#console/}" "$built"
    done
done

# iconv stops on a character Windows-1252 lacks; CRs are dropped first in case the checkout
# already has CR LF.
if ! tr -d '\r' <"$VELMAR_ROOT/docs/LEGGIMI.txt" | iconv -f UTF-8 -t WINDOWS-1252 |
    sed 's/$/\r/' >"$stage/LEGGIMI.txt"; then
    echo "package.sh: docs/LEGGIMI.txt is not UTF-8 text that Windows-1252 can hold" >&2
    exit 1
fi

files=(win32/SetupVelmar.exe win32/SetupVelmarCmd.exe win64/SetupVelmar.exe
       win64/SetupVelmarCmd.exe LEGGIMI.txt)
(cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)
files+=(SHA256SUMS)

(
    cd "$stage"
    chmod 0644 "${files[@]}"
    TZ=UTC touch -d '2000-01-01 00:00:00' "${files[@]}"
    # -X: no owner or extra time fields; -D: no folder entries. DOS times are local: TZ=UTC.
    TZ=UTC zip -q -X -D -9 "$stage/pacchetto.zip" "${files[@]}"
)

mkdir -p "$DIST"
zip_path="$DIST/SetupVelmar-$versione.zip"
mv -f "$stage/pacchetto.zip" "$zip_path"
log "Written $zip_path"
