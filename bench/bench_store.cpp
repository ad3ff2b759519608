// Speed of the store on generated parameters files of 1 000, 100 000 and 1 000 000 lines:
// the list load, a lookup whose code is on the last line, a lookup that matches nothing and a
// save distributed to three area folders, each beside a plain read (or copy) of the same bytes.
// Peak heap of one lookup and one save is measured by counting the program's allocations.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <utility>

#include "store/ditte.h"
#include "bench/pacchetto_prova.h"
#include "store/salvataggio.h"

namespace {

// ---- heap accounting --------------------------------------------------------------------------
std::atomic<std::size_t> gCorrente{0};
std::atomic<std::size_t> gPicco{0};

void* Alloca(std::size_t n) {
    void* p = std::malloc(n + 16);
    if (p == nullptr)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(p) = n;
    const std::size_t ora = gCorrente += n;
    std::size_t picco = gPicco.load();
    while (ora > picco && !gPicco.compare_exchange_weak(picco, ora)) {
    }
    return static_cast<char*>(p) + 16;
}
void Libera(void* p) noexcept {
    if (p == nullptr)
        return;
    char* base = static_cast<char*>(p) - 16;
    gCorrente -= *reinterpret_cast<std::size_t*>(base);
    std::free(base);
}

}  // namespace

void* operator new(std::size_t n) {
    return Alloca(n);
}
void* operator new[](std::size_t n) {
    return Alloca(n);
}
void operator delete(void* p) noexcept {
    Libera(p);
}
void operator delete[](void* p) noexcept {
    Libera(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Libera(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Libera(p);
}

namespace {

using velmar::FileSystemDiSistema;

std::filesystem::path gRadice;

using velmar::bench::Codice;

// A package folder with a parameters file of `righe` realistic records and three area folders.
// The saves work on packages of their own (`nome` "salvataggio"): each save puts a new file in
// place, and the reading benchmarks must all read the same file.
const std::filesystem::path& Pacchetto(long righe, const std::string& nome = "pacchetto") {
    static std::map<std::pair<std::string, long>, std::filesystem::path> fatti;
    auto it = fatti.find({nome, righe});
    if (it != fatti.end())
        return it->second;
    const auto cartella = gRadice / (nome + "-" + std::to_string(righe));
    velmar::bench::ScriviPacchetto(cartella, righe);
    return fatti.emplace(std::pair{nome, righe}, cartella).first->second;
}

std::string Testo(const std::filesystem::path& p) {
    return p.string();
}

void Imposta(benchmark::State& s, const std::filesystem::path& file) {
    const auto byte = std::filesystem::file_size(file);
    s.SetBytesProcessed(static_cast<int64_t>(byte) * s.iterations());
    s.counters["righe"] = static_cast<double>(s.range(0));
}

// The bound: reading the same bytes through the same file layer, doing nothing with them.
void LetturaSemplice(benchmark::State& s) {
    const auto base = Pacchetto(s.range(0));
    const std::string percorso = Testo(base / "BRIO_PARAMS.txt");
    auto buffer = std::make_unique<char[]>(velmar::kBufferLettura);
    for (auto _ : s) {
        velmar::Risultato<std::unique_ptr<velmar::FileLettura>> f =
            FileSystemDiSistema().ApriLettura(percorso);
        if (!f) {
            s.SkipWithError("open");
            break;
        }
        std::uint64_t totale = 0;
        for (std::size_t n = 1; n != 0;) {
            const velmar::Risultato<std::size_t> letti =
                (*f)->Leggi(totale, buffer.get(), velmar::kBufferLettura);
            if (!letti) {
                s.SkipWithError("read");
                break;
            }
            n = *letti;
            totale += n;
        }
        benchmark::DoNotOptimize(totale);
    }
    Imposta(s, base / "BRIO_PARAMS.txt");
}

void ListaDitte(benchmark::State& s) {
    const std::string base = Testo(Pacchetto(s.range(0)));
    for (auto _ : s) {
        auto codici = velmar::LeggiDitte(FileSystemDiSistema(), base);
        if (!codici || codici->size() != static_cast<std::size_t>(s.range(0)))
            s.SkipWithError("count");
        benchmark::DoNotOptimize(codici);
    }
    Imposta(s, Pacchetto(s.range(0)) / "BRIO_PARAMS.txt");
}

void RicercaUltima(benchmark::State& s) {
    const std::string base = Testo(Pacchetto(s.range(0)));
    const std::string codice = Codice(s.range(0) - 1);
    for (auto _ : s) {
        auto r = velmar::CercaDitta(FileSystemDiSistema(), base, codice);
        if (!r || r->descrizione.empty())
            s.SkipWithError("not found");
        benchmark::DoNotOptimize(r);
    }
    Imposta(s, Pacchetto(s.range(0)) / "BRIO_PARAMS.txt");
}

void RicercaAssente(benchmark::State& s) {
    const std::string base = Testo(Pacchetto(s.range(0)));
    for (auto _ : s) {
        auto r = velmar::CercaDitta(FileSystemDiSistema(), base, "ZZZ");
        if (r || r.Errore().tipo != velmar::TipoErrore::DittaNonTrovata)
            s.SkipWithError("read");
        benchmark::DoNotOptimize(r);
    }
    Imposta(s, Pacchetto(s.range(0)) / "BRIO_PARAMS.txt");
}

// The bound of a save: four plain copies of the file (the base and three areas).
void QuattroCopie(benchmark::State& s) {
    const auto base = Pacchetto(s.range(0));
    const auto origine = base / "BRIO_PARAMS.txt";
    const auto copie = gRadice / ("copie-" + std::to_string(s.range(0)));
    std::filesystem::create_directories(copie);
    for (auto _ : s) {
        for (int i = 0; i < 4; ++i) {
            std::filesystem::copy_file(origine, copie / std::to_string(i),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
    Imposta(s, origine);
}

// The same four copies, each forced onto the disk as the save forces its own: what a save
// costs at the least when every file it writes must survive the machine stopping.
void QuattroCopieForzate(benchmark::State& s) {
    const auto base = Pacchetto(s.range(0));
    const std::string origine = Testo(base / "BRIO_PARAMS.txt");
    const auto copie = gRadice / ("copie-forzate-" + std::to_string(s.range(0)));
    std::filesystem::create_directories(copie);
    for (auto _ : s) {
        for (int i = 0; i < 4; ++i) {
            const std::string copia = Testo(copie / std::to_string(i));
            if (!FileSystemDiSistema().Copia(origine, copia, copia))
                s.SkipWithError("copy");
        }
    }
    Imposta(s, base / "BRIO_PARAMS.txt");
}

void Salvataggio(benchmark::State& s) {
    const std::string base = Testo(Pacchetto(s.range(0), "salvataggio"));
    const velmar::DatiDitta stato{
        Codice(s.range(0) / 2), "Ditta salvata", "10.1.1.1", "db2admin", "db2admin", "db2admin"};
    for (auto _ : s) {
        auto r = velmar::SalvaDitta(FileSystemDiSistema(), stato, {"C:\\Cat"}, base);
        if (!r || !r->Completo())
            s.SkipWithError("save failed");
    }
    Imposta(s, Pacchetto(s.range(0)) / "BRIO_PARAMS.txt");
}

void Righe(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(LetturaSemplice)->Apply(Righe);
BENCHMARK(ListaDitte)->Apply(Righe);
BENCHMARK(RicercaUltima)->Apply(Righe);
BENCHMARK(RicercaAssente)->Apply(Righe);
BENCHMARK(QuattroCopie)->Apply(Righe);
BENCHMARK(QuattroCopieForzate)->Apply(Righe);
BENCHMARK(Salvataggio)->Apply(Righe);

// Peak heap above what was in use before one lookup, one save with the area copies equal to the
// base file, and one save with one copy that differs (a company of its own added at its end,
// so that all its codes are held and the copy is kept whole).
void StampaPiccoMemoria() {
    std::printf("\nPeak heap (bytes above the baseline) for one call:\n");
    std::printf("%-10s %14s %14s %22s\n", "lines", "lookup", "save", "save, copy differing");
    for (long righe : {1000L, 1000000L}) {
        const std::filesystem::path cartella = Pacchetto(righe, "salvataggio");
        const std::string base = Testo(cartella);
        const auto picco = [](auto&& chiamata) {
            gPicco = gCorrente.load();
            const std::size_t inizio = gCorrente;
            chiamata();
            return gPicco - inizio;
        };
        const std::size_t ricerca = picco([&] {
            auto r = velmar::CercaDitta(FileSystemDiSistema(), base, Codice(righe - 1));
            benchmark::DoNotOptimize(r);
        });
        const velmar::DatiDitta stato{Codice(righe / 2), "Ditta salvata", "10.1.1.1",
                                      "db2admin",        "db2admin",      "db2admin"};
        const auto salva = [&] {
            auto e = velmar::SalvaDitta(FileSystemDiSistema(), stato, {"C:\\Cat"}, base);
            if (!e || !e->Completo())
                std::printf("save failed\n");
            benchmark::DoNotOptimize(e);
        };
        salva();  // every copy equal to the base file
        const std::size_t salvataggio = picco(salva);
        const auto copia = cartella / "CONTABILITA" / "BRIO_PARAMS.txt";
        std::ofstream(copia, std::ios::binary | std::ios::app)
            << "Propria;C:\\Cat\\DwhP.oce;x;x;x;P;m;\r\n";
        const std::size_t diversa = picco(salva);
        std::filesystem::remove(cartella / "CONTABILITA" / "BRIO_PARAMS.bak");
        std::printf("%-10ld %14zu %14zu %22zu\n", righe, ricerca, salvataggio, diversa);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* cartella = std::getenv("VELMAR_BENCH_DIR");
    gRadice = cartella ? std::filesystem::path(cartella)
                       : std::filesystem::temp_directory_path() / "velmar-bench";
    std::filesystem::create_directories(gRadice);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StampaPiccoMemoria();
    return 0;
}
