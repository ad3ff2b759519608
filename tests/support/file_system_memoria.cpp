#include "tests/support/file_system_memoria.h"

#include <algorithm>

namespace velmar::test {

namespace {

const char* const kErroreSimulato = "errore simulato";

Errore Simulato() {
    return Errore(TipoErrore::Sistema, kErroreSimulato);
}

class LetturaMemoria final : public FileLettura {
  public:
    LetturaMemoria(FileSystemMemoria& fs, std::string percorso, std::string dati, bool rotto)
        : fs_(fs), percorso_(std::move(percorso)), dati_(std::move(dati)), rotto_(rotto) {}
    std::uint64_t Dimensione() const noexcept override { return dati_.size(); }
    Risultato<std::size_t> Leggi(std::uint64_t posizione, char* buffer,
                                 std::size_t capacita) override {
        if (fs_.Conta("Leggi " + percorso_) || rotto_)
            return Simulato();
        // Small reads, so that lines cross the boundaries of the caller's buffer.
        const std::size_t da = std::min<std::size_t>(posizione, dati_.size());
        const std::size_t letti = std::min({capacita, dati_.size() - da, std::size_t{7777}});
        std::copy_n(dati_.data() + da, letti, buffer);
        return letti;
    }

  private:
    FileSystemMemoria& fs_;
    std::string percorso_;
    std::string dati_;
    bool rotto_;
};

class ScritturaMemoria final : public FileScrittura {
  public:
    ScritturaMemoria(FileSystemMemoria& fs, std::string percorso)
        : fs_(fs), percorso_(std::move(percorso)) {}
    Esito Scrivi(std::string_view dati) override {
        if (fs_.Conta("Scrivi " + percorso_)) {
            // A failed write may leave part of the data behind, as a full disk does.
            fs_.file[percorso_].append(dati.substr(0, dati.size() / 2));
            return Simulato();
        }
        fs_.file[percorso_].append(dati);
        return {};
    }
    Esito Chiudi() override {
        if (fs_.Conta("Chiudi " + percorso_))
            return Simulato();
        return {};
    }

  private:
    FileSystemMemoria& fs_;
    std::string percorso_;
};

}  // namespace

bool FileSystemMemoria::Conta(const std::string& descrizione) {
    registro.push_back(descrizione);
    return operazioni++ == fallisci;
}

bool FileSystemMemoria::CartellaDelFileEsiste(const std::string& percorso) const {
    const auto pos = percorso.rfind('\\');
    if (pos == std::string::npos)
        return false;
    const std::string cartella = percorso.substr(0, pos);
    return cartella.size() == 2 || cartelle.count(cartella) > 0;
}

Risultato<std::unique_ptr<FileLettura>> FileSystemMemoria::ApriLettura(
    const std::string& percorso) {
    if (Conta("ApriLettura " + percorso))
        return Simulato();
    auto it = file.find(percorso);
    if (it == file.end())
        return Errore(TipoErrore::Assente, "file non trovato");
    return std::unique_ptr<FileLettura>(std::make_unique<LetturaMemoria>(
        *this, percorso, it->second, illeggibili.count(percorso) > 0));
}

TipoVoce FileSystemMemoria::Tipo(const std::string& percorso) {
    if (cartelle.count(percorso) > 0)
        return TipoVoce::Cartella;
    return file.count(percorso) > 0 ? TipoVoce::File : TipoVoce::Assente;
}

Risultato<std::unique_ptr<Blocco>> FileSystemMemoria::Blocca(const std::string& percorso,
                                                             std::chrono::milliseconds) {
    if (Conta("Blocca " + percorso))
        return Simulato();
    if (!CartellaDelFileEsiste(percorso))
        return Errore(TipoErrore::Assente, "percorso non trovato");
    file[percorso];
    if (bloccati.count(percorso) > 0)
        return Errore(TipoErrore::Occupato, "bloccato");
    return std::make_unique<Blocco>();
}

Risultato<std::unique_ptr<FileScrittura>> FileSystemMemoria::CreaNuovo(
    const std::string& percorso) {
    if (Conta("CreaNuovo " + percorso))
        return Simulato();
    if (!CartellaDelFileEsiste(percorso))
        return Errore(TipoErrore::Assente, "percorso non trovato");
    if (cartelle.count(percorso) > 0)
        return Errore(TipoErrore::Sistema, "al suo posto c'\xE8 una cartella");
    file[percorso].clear();
    return std::unique_ptr<FileScrittura>(std::make_unique<ScritturaMemoria>(*this, percorso));
}

Esito FileSystemMemoria::Sostituisci(const std::string& origine, const std::string& destinazione) {
    if (Conta("Sostituisci " + destinazione))
        return Simulato();
    auto it = file.find(origine);
    if (it == file.end())
        return Errore(TipoErrore::Assente, "file non trovato");
    file[destinazione] = std::move(it->second);
    file.erase(origine);
    return {};
}

Esito FileSystemMemoria::Copia(const std::string& origine, const std::string& destinazione,
                               const std::string& /*sostituendo*/) {
    if (Conta("Copia " + destinazione)) {
        // A copy that fails half way removes what it made.
        file.erase(destinazione);
        return Simulato();
    }
    auto it = file.find(origine);
    if (it == file.end())
        return Errore(TipoErrore::Assente, "file non trovato");
    if (!CartellaDelFileEsiste(destinazione))
        return Errore(TipoErrore::Assente, "percorso non trovato");
    file[destinazione] = it->second;
    return {};
}

Esito FileSystemMemoria::Elimina(const std::string& percorso) {
    if (Conta("Elimina " + percorso))
        return Simulato();
    if (file.erase(percorso) == 0)
        return Errore(TipoErrore::Assente, "file non trovato");
    return {};
}

}  // namespace velmar::test
