#!/usr/bin/env bash
# Opens SetupVelmar on a demo package under Wine.
#
#   ./demo.sh                  with a display: opens the window there and returns when it is closed
#   ./demo.sh [picture.png]    with no display: runs it in Xvfb, types the code 002, saves a
#                              screenshot (default build/demo/screenshot.png) and exits
#   VELMAR_DPI=144 ./demo.sh   the same at 150 % (any DPI: 96 = 100 %, 192 = 200 %)
#   VELMAR_SCENA=elenco ./demo.sh     the same with the code list dropped down (F4)
#   VELMAR_SCENA=contrasto ./demo.sh  the window as it shows itself under Windows' high contrast
#
# Installs what is missing, builds the 64-bit program and the stand-in application-folder
# component, and starts every run from a fresh copy of the demo package (four invented companies;
# two of the three area folders), so the window can be tried freely.
#
# Wine never turns high contrast on (it always reports it off), so the contrasto scene runs in a
# prefix of its own with a high-contrast colour scheme (white text on black, visual styles off)
# and with a build of the program that sets the window's high-contrast switch, which otherwise
# only the tests set (tests/window/setup_velmar_contrasto_win32.cpp).
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

dpi="${VELMAR_DPI:-96}"
scena="${VELMAR_SCENA:-codice}"
demo="$VELMAR_BUILD/demo"
build="$VELMAR_BUILD/win64"
case "$scena" in
codice | elenco)
    prefisso="$demo/wineprefix"
    bersaglio=SetupVelmar
    programma="$build/SetupVelmar.exe"
    ;;
contrasto)
    prefisso="$demo/wineprefix-contrasto"
    bersaglio=SetupVelmarContrasto
    programma="$build/tests/window/SetupVelmarContrasto.exe"
    ;;
*)
    echo "VELMAR_SCENA: codice, elenco or contrasto, not '$scena'" >&2
    exit 2
    ;;
esac

ensure_build_packages imagemagick x11-utils xdotool fonts-wine

log "Building the program and the stand-in component"
cmake -S "$VELMAR_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$VELMAR_ROOT/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$build" -j "$JOBS" --target "$bersaglio" PercorsiApplicazioni

ensure_wine_prefix "$prefisso" desktop
wine=$(wine64_bin)
# Wine's own Tahoma and Marlett (window texts, title-bar buttons), where this Wine does not look.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

log "Preparing the demo package in $demo/pacchetto"
pacchetto="$demo/pacchetto"
rm -rf "$pacchetto"
mkdir -p "$pacchetto/CONTABILITA" "$pacchetto/COMMERCIALE"
catalogo='C:\Program Files\Brio\BrioQuery\Program\Open Catalog Extensions'
# Windows-1252 text with CR LF line ends, as the package keeps it ("\xe0" is "à").
printf '%s\r\n' \
    "Ferramenta Rossi Srl;$catalogo\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.20.0.11;" \
    "Caseificio Valbruna Spa;$catalogo\\Dwh002.oce;db2inst1;db2inst1;db2inst1;002;10.20.0.12;" \
    "Trasporti Bianchi & Figli;$catalogo\\Dwh005.oce;db2inst1;db2inst1;db2inst1;005;10.20.0.15;" \
    "Pasticceria Citt$(printf '\xe0') Alta;$catalogo\\Dwh010.oce;db2admin;db2admin;db2admin;010;10.20.0.20;" \
    >"$pacchetto/BRIO_PARAMS.txt"
cp "$pacchetto/BRIO_PARAMS.txt" "$pacchetto/CONTABILITA/"
cp "$pacchetto/BRIO_PARAMS.txt" "$pacchetto/COMMERCIALE/"

log "Registering the stand-in component and pointing it at the package (DPI $dpi)"
"$wine" regsvr32 /s "$(winepath -w "$build/standin/PercorsiApplicazioni.dll")"
"$wine" reg add 'HKCU\Software\PercorsiApplicazioni' /v Brio /d "$(winepath -w "$pacchetto")" /f >/dev/null
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
if [ "$scena" = contrasto ]; then
    log "Giving the prefix a high-contrast colour scheme"
    "$wine" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
        /v ThemeActive /d 0 /f >/dev/null
    while read -r nome colore; do
        "$wine" reg add 'HKCU\Control Panel\Colors' /v "$nome" /d "$colore" /f >/dev/null
    done <<'COLORI'
ActiveBorder 255 255 255
ActiveTitle 0 0 0
AppWorkSpace 0 0 0
Background 0 0 0
ButtonAlternateFace 0 0 0
ButtonDkShadow 255 255 255
ButtonFace 0 0 0
ButtonHilight 255 255 255
ButtonLight 255 255 255
ButtonShadow 255 255 255
ButtonText 255 255 255
GradientActiveTitle 0 0 0
GradientInactiveTitle 0 0 0
GrayText 63 242 63
Hilight 26 235 255
HilightText 0 0 0
HotTrackingColor 255 255 0
InactiveBorder 255 255 255
InactiveTitle 0 0 0
InactiveTitleText 63 242 63
InfoText 255 255 255
InfoWindow 0 0 0
Menu 0 0 0
MenuBar 0 0 0
MenuHilight 26 235 255
MenuText 255 255 255
Scrollbar 0 0 0
TitleText 255 255 255
Window 0 0 0
WindowFrame 255 255 255
WindowText 255 255 255
COLORI
fi
wineserver -w

if [ -n "${DISPLAY:-}" ]; then
    log "Opening the window on $DISPLAY (close it to return)"
    "$wine" "$programma"
    wineserver -w
    log "Package after the run: $pacchetto"
    exit 0
fi

# No display: a private X server, a screenshot, and everything stopped again.
nome=screenshot
[ "$scena" = codice ] || nome="$nome-$scena"
[ "$dpi" = 96 ] || nome="$nome-$dpi"
nome="$nome.png"
immagine="${1:-$demo/$nome}"
numero=99
while [ -e "/tmp/.X$numero-lock" ] || [ -e "/tmp/.X11-unix/X$numero" ]; do numero=$((numero + 1)); done
export DISPLAY=":$numero"
log "No display: running in Xvfb on $DISPLAY"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
programma_pid=
fine() {
    [ -n "$programma_pid" ] && kill "$programma_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true  # this demo prefix only
    kill "$xvfb" 2>/dev/null || true
}
trap fine EXIT
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$wine" "$programma" >/dev/null 2>&1 &
programma_pid=$!
# The virtual desktop shows the window once the program has laid it out.
for _ in $(seq 150); do
    xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
    sleep 0.2
done
sleep 3
# Typed as a person types (the code has the focus), so the picture shows a company looked up.
# In the elenco scene F4 drops the list down, the code's entry chosen; in the contrasto scene
# Shift+Tab takes the focus back to the OK image, to show its focus mark.
xdotool type --delay 150 002
sleep 0.5
case "$scena" in
elenco) xdotool key F4 ;;
contrasto) xdotool key shift+Tab ;;
esac
sleep 1
mkdir -p "$(dirname "$immagine")"
im=$(command -v convert-im6.q16 || command -v convert)
# The desktop cropped to the window, with a margin of the desktop around it.
import -display "$DISPLAY" -window root "$immagine.tmp.png"
sfondo=$("$im" "$immagine.tmp.png" -format '%[pixel:p{0,0}]' info:)
"$im" "$immagine.tmp.png" -trim +repage -bordercolor "$sfondo" -border 12 "$immagine"
rm -f "$immagine.tmp.png"
log "Screenshot: $immagine"
