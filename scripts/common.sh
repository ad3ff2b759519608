# Shared by test.sh, demo.sh and bench.sh: installs what is missing and prepares Wine prefixes.
# Sourced, not run.

VELMAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VELMAR_BUILD="${VELMAR_BUILD:-$VELMAR_ROOT/build}"
JOBS="${JOBS:-$(nproc)}"

log() { printf '\n== %s\n' "$*"; }

# Installs the Debian packages given that are not installed yet (apt-get update first, once).
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Everything the builds and the tests need. Wine runs the 32-bit Windows programs with Debian's
# wine32 for i386 beside wine64, so the i386 architecture is added first. wine32 is installed on
# its own: when the archive cannot give it (an i386 index that fails to download leaves apt unable
# to match the i386 libraries with the amd64 ones), WINE32_MANCANTE says why, and only what runs
# 32-bit Windows programs goes without.
WINE32_MANCANTE=""
ensure_build_packages() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        log "Adding the i386 architecture (for wine32)"
        local sudo=()
        [ "$(id -u)" -eq 0 ] || sudo=(sudo)
        "${sudo[@]}" dpkg --add-architecture i386 || return 1
    fi
    ensure_packages cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev \
        g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 \
        g++-multilib qemu-user-static wine wine64 xvfb xauth "$@" || return 1
    local errore
    if ! errore=$(ensure_packages wine32:i386 2>&1); then
        printf '%s\n' "$errore"
        WINE32_MANCANTE="the package archive could not give wine32:i386 ($(printf '%s\n' "$errore" | grep -m1 '^E:' || echo 'apt-get failed'))"
    fi
    return 0
}

wine64_bin() {
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi
}

# Creates a 64-bit Wine prefix once: no desktop integration, no Mono/Gecko prompts. It runs
# 32-bit programs too; one made before wine32 was installed cannot ("could not load
# kernel32.dll, status c0000135": its syswow64 folder is empty), so it is made anew.
# $1: prefix folder; $2: "null" for the windowless graphics driver (tests), "desktop" for a
# virtual desktop (screenshots under Xvfb).
ensure_wine_prefix() {
    local prefix="$1" mode="${2:-null}"
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
    if [ -f "$prefix/.velmar-ready-$mode" ] && [ -x /usr/lib/wine/wine ] &&
        [ ! -e "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
        log "Wine prefix $prefix was made without wine32: making it anew"
        rm -rf "$prefix"
    fi
    if [ ! -f "$prefix/.velmar-ready-$mode" ]; then
        log "Preparing Wine prefix $prefix ($mode)"
        mkdir -p "$prefix"
        DISPLAY= WINEARCH=win64 wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        local wine
        wine=$(wine64_bin)
        if [ "$mode" = null ]; then
            "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        else
            "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        fi
        wineserver -w
        touch "$prefix/.velmar-ready-$mode"
    fi
}

configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$VELMAR_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}
