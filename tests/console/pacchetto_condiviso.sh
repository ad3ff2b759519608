#!/usr/bin/env bash
# One package folder shared by native and Windows (Wine) console programs saving at the same
# time, as two technicians on a network share would: after every round each company saved is in
# the base file and in every area copy, and the copies are identical. Then the Windows program
# saves with links planted at its work file and temporary names, and must not write through them.
#
#   pacchetto_condiviso.sh <native SetupVelmarCmd> <Wine runner> <SetupVelmarCmd.exe>
set -u
nativo="$1"
wine="$2"
exe="$3"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
base="$dir/pacchetto"
mkdir -p "$base/CONTABILITA" "$base/COMMERCIALE" "$base/SCHEDULATORE"
printf 'Uno;C:\\OCE\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;\r\n' >"$base/BRIO_PARAMS.txt"
basew="Z:${base//\//\\}"

errori=0
sbaglia() {
    echo "FAILED: $*"
    errori=$((errori + 1))
}

salva() {  # salva <native|windows> <code>
    if [ "$1" = native ]; then
        "$nativo" salva --base "$base" --codice "$2" --descrizione "Ditta $2" --server linux \
            --macchina 10.0.0.9
    else
        "$wine" "$exe" salva --base "$basew" --codice "$2" --descrizione "Ditta $2" \
            --server linux --macchina 10.0.0.9
    fi
}

salvati=()
for giro in 1 2 3 4 5 6; do
    pids=()
    codici=()
    for i in 1 2 3 4 5 6; do
        if [ $((i % 2)) -eq 0 ]; then tipo=native; else tipo=windows; fi
        codice="${tipo:0:1}$giro$i"
        salva "$tipo" "$codice" >"$dir/uscita-$codice" 2>&1 &
        pids+=($!)
        codici+=("$codice")
    done
    for k in "${!pids[@]}"; do
        if wait "${pids[$k]}"; then
            salvati+=("${codici[$k]}")
        else
            sbaglia "round $giro: ${codici[$k]} failed: $(cat "$dir/uscita-${codici[$k]}")"
        fi
    done
    for area in CONTABILITA COMMERCIALE SCHEDULATORE; do
        cmp -s "$base/BRIO_PARAMS.txt" "$base/$area/BRIO_PARAMS.txt" ||
            sbaglia "round $giro: $area differs from the base file"
    done
    for codice in "${salvati[@]}"; do
        grep -q ";$codice;10.0.0.9;"$'\r'"\$" "$base/BRIO_PARAMS.txt" ||
            sbaglia "round $giro: $codice was saved, then lost"
    done
    head -n 1 "$base/BRIO_PARAMS.txt" | grep -q ';001;' || sbaglia "round $giro: company 001 lost"
done
echo "${#salvati[@]} saves of different companies, native and Windows at once, all kept"

# Links planted where the Windows program makes its files: a file elsewhere must stay as it is.
altrove="$dir/altrove.txt"
echo "altrove" >"$altrove"
ln -s "$altrove" "$base/BRIO_PARAMS.dep"
ln -s "$altrove" "$base/CONTABILITA/BRIO_PARAMS.new"
ln "$base/BRIO_PARAMS.txt" "$base/COMMERCIALE/BRIO_PARAMS.new"
prima=$(cat "$base/BRIO_PARAMS.txt")
salva windows L1 >"$dir/uscita-L1" 2>&1 || sbaglia "save with links: $(cat "$dir/uscita-L1")"
[ "$(cat "$altrove")" = altrove ] || sbaglia "a file a link points to was written"
[ -e "$base/BRIO_PARAMS.dep" ] || [ -L "$base/BRIO_PARAMS.dep" ] && sbaglia "work file left"
[ -L "$base/CONTABILITA/BRIO_PARAMS.new" ] && sbaglia "link left at a temporary name"
for f in BRIO_PARAMS.txt CONTABILITA/BRIO_PARAMS.txt COMMERCIALE/BRIO_PARAMS.txt; do
    grep -q ';L1;10.0.0.9;' "$base/$f" || sbaglia "$f not saved"
    [ "$(head -n 1 "$base/$f")" = "$(echo "$prima" | head -n 1)" ] || sbaglia "$f lost a company"
done
echo "no file written through a link"

[ "$errori" -eq 0 ]
