"""Prints the benchmark table of bench.sh: the store's figures beside a plain read or copy of
the same file, and beside awk (a lookup) and cp (four copies) timed here on the same files."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

risultati, cartella, testo = sys.argv[1], sys.argv[2], sys.argv[3]
console = sys.argv[4] if len(sys.argv) > 4 else None
dati = json.load(open(risultati))
tempi = {}
for b in dati["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration" or "error_occurred" in b:
        continue
    nome, righe = b["run_name"].split("/")[:2] if "run_name" in b else b["name"].split("/")[:2]
    unita = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    chiave = (nome, int(righe))
    # The best of the repetitions, in milliseconds.
    tempi[chiave] = min(tempi.get(chiave, float("inf")), b["real_time"] * unita)


def migliore(comando, volte=5):
    """Best wall time of a command, in milliseconds."""
    meglio = float("inf")
    for _ in range(volte):
        inizio = time.perf_counter()
        subprocess.run(comando, check=True, stdout=subprocess.DEVNULL)
        meglio = min(meglio, (time.perf_counter() - inizio) * 1000)
    return meglio


lettura_righe, salva_righe, processi = [], [], []
for righe in sorted({r for (_, r) in tempi}):
    file = os.path.join(cartella, f"pacchetto-{righe}", "BRIO_PARAMS.txt")
    codice = f"{righe - 1:06d}"
    awk = migliore(["awk", "-F;", f'$6 == "{codice}"', file])
    with tempfile.TemporaryDirectory() as t:
        def quattro_cp():
            for i in range(4):
                subprocess.run(["cp", file, os.path.join(t, str(i))], check=True)
        meglio = float("inf")
        for _ in range(5):
            inizio = time.perf_counter()
            quattro_cp()
            meglio = min(meglio, (time.perf_counter() - inizio) * 1000)
        cp = meglio
    lettura = tempi[("LetturaSemplice", righe)]
    lista = tempi[("ListaDitte", righe)]
    ultima = tempi[("RicercaUltima", righe)]
    assente = tempi[("RicercaAssente", righe)]
    copie = tempi[("QuattroCopie", righe)]
    forzate = tempi[("QuattroCopieForzate", righe)]
    salva = tempi[("Salvataggio", righe)]
    if console:
        mostra = migliore([console, "mostra", codice, "--base", os.path.dirname(file)])
        salva_cmd = migliore([console, "salva", "--base",
                              os.path.join(cartella, f"salvataggio-{righe}"),
                              "--codice", f"{righe // 2:06d}",
                              "--descrizione", "Ditta salvata", "--server", "nt",
                              "--macchina", "10.1.1.1"])
        processi.append((righe, mostra, awk, salva_cmd, cp))
    lettura_righe.append(
        f"| {righe:,} | {lettura:.3f} | {lista:.3f} ({lista / lettura:.2f}) "
        f"| {ultima:.3f} ({ultima / lettura:.2f}) | {assente:.3f} ({assente / lettura:.2f}) "
        f"| {awk:.1f} ({awk / ultima:.0f}) |")
    salva_righe.append(
        f"| {righe:,} | {copie:.3f} | {salva:.3f} ({salva / copie:.2f}) | {cp:.1f} ({salva / cp:.2f}) "
        f"| {forzate:.3f} ({salva / forzate:.2f}) |")

print()
print("Reading, in the process (best of the benchmark's repetitions), ratios in brackets:")
print()
print("| lines | plain read ms | list load ms (x read) | lookup, last line ms (x read) "
      "| lookup, no match ms (x read) | awk lookup ms (awk / lookup) |")
print("|---:|---:|---:|---:|---:|---:|")
print("\n".join(lettura_righe))
print()
print("Saving to the base and three areas, in the process, ratios in brackets:")
print()
print("| lines | 4 copies ms | save ms (x copies) | 4 x cp ms (save / cp) "
      "| 4 copies, each flushed, ms (save / flushed copies) |")
print("|---:|---:|---:|---:|---:|")
print("\n".join(salva_righe))

if processi:
    print()
    print("Whole processes (best of 5 runs), the console program beside awk and cp:")
    print()
    print("| lines | SetupVelmarCmd mostra ms | awk lookup ms (awk / mostra) "
          "| SetupVelmarCmd salva ms | 4 x cp ms (salva / cp) |")
    print("|---:|---:|---:|---:|---:|")
    for righe, mostra, awk, salva_cmd, cp in processi:
        print(f"| {righe:,} | {mostra:.1f} | {awk:.1f} ({awk / mostra:.1f}) | {salva_cmd:.1f} "
              f"| {cp:.1f} ({salva_cmd / cp:.2f}) |")

print()
for riga in open(testo):
    if riga.startswith("Peak heap") or riga.startswith("lines") or riga[:1].isdigit():
        print(riga.rstrip())
