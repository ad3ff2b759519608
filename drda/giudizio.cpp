// The server's class name against the record's server type.
#include "drda/giudizio.h"

#include <cctype>

#include "store/cp1252.h"

namespace velmar::drda {

namespace {

struct VocePiattaforma {
    Piattaforma piattaforma;
    std::string_view descrizione;
    std::string_view nome;
};

constexpr VocePiattaforma kPiattaforme[] = {
    {Piattaforma::Windows, "DB2 per Windows", "db2_windows"},
    {Piattaforma::Linux, "DB2 per Linux", "db2_linux"},
    {Piattaforma::Unix, "DB2 per Unix", "db2_unix"},
    {Piattaforma::ZOs, "DB2 per z/OS", "db2_zos"},
    {Piattaforma::I, "DB2 per i", "db2_i"},
    {Piattaforma::AltroDrda, "DRDA, non DB2", "drda"},
};

constexpr const VocePiattaforma& Voce(Piattaforma p) noexcept {
    for (const VocePiattaforma& v : kPiattaforme) {
        if (v.piattaforma == p)
            return v;
    }
    return kPiattaforme[std::size(kPiattaforme) - 1];
}

// Whether `testo` starts with `prefisso`, letters of either case.
bool IniziaCon(std::string_view testo, std::string_view prefisso) noexcept {
    if (testo.size() < prefisso.size())
        return false;
    for (std::size_t i = 0; i < prefisso.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(testo[i])) !=
            std::toupper(static_cast<unsigned char>(prefisso[i]))) {
            return false;
        }
    }
    return true;
}

bool Uguale(std::string_view testo, std::string_view altro) noexcept {
    return testo.size() == altro.size() && IniziaCon(testo, altro);
}

// "il record dice NT (db2admin)"
std::string Record(TipoServer record) {
    const VoceServer* v = ServerDi(record);
    if (!v) {
        return "il record non dice " + std::string(ServerDi(TipoServer::NT)->didascalia) +
               " n\xE9 " + std::string(ServerDi(TipoServer::Linux)->didascalia);
    }
    return "il record dice " + std::string(v->didascalia) + " (" + std::string(v->parola) + ")";
}

// "QDB2/NT64, SQL11055": the class and the release as sent, control characters visible.
std::string ComeInviato(const AttributiServer& a) {
    std::string t = TestoVisibile(a.classe.value_or(""));
    if (a.rilascio && !a.rilascio->empty())
        t.append(", ").append(TestoVisibile(*a.rilascio));
    return t;
}

}  // namespace

Piattaforma PiattaformaDi(std::string_view classe) noexcept {
    while (!classe.empty() && classe.back() == ' ')
        classe.remove_suffix(1);
    if (IniziaCon(classe, "QDB2/NT"))
        return Piattaforma::Windows;
    if (IniziaCon(classe, "QDB2/LINUX"))
        return Piattaforma::Linux;
    if (IniziaCon(classe, "QDB2/") && classe.size() > 5)
        return Piattaforma::Unix;
    if (Uguale(classe, "QDB2"))
        return Piattaforma::ZOs;
    if (Uguale(classe, "QAS"))
        return Piattaforma::I;
    return Piattaforma::AltroDrda;
}

std::string_view DescrizionePiattaforma(Piattaforma p) noexcept {
    return Voce(p).descrizione;
}

std::string_view NomePiattaforma(Piattaforma p) noexcept {
    return Voce(p).nome;
}

Giudizio GiudicaServer(const AttributiServer& attributi, TipoServer record) {
    const Piattaforma p = PiattaformaDi(attributi.classe.value_or(""));
    const std::string server = "il server \xE8 " + std::string(DescrizionePiattaforma(p)) + " (" +
                               ComeInviato(attributi) + ")";
    switch (p) {
        case Piattaforma::Windows:
        case Piattaforma::Linux:
        case Piattaforma::Unix: {
            const bool corrisponde = record != TipoServer::Nessuno &&
                                     (p == Piattaforma::Windows) == (record == TipoServer::NT);
            return {corrisponde ? Verdetto::Corrisponde : Verdetto::TipoDiverso, p,
                    (corrisponde ? "corrisponde: " : "non corrisponde: ") + server + ", " +
                        Record(record)};
        }
        case Piattaforma::ZOs:
        case Piattaforma::I:
            return {p == Piattaforma::ZOs ? Verdetto::Db2ZOs : Verdetto::Db2I, p,
                    "non corrisponde: " + server + ", non per Windows n\xE9 per Linux; " +
                        Record(record)};
        case Piattaforma::AltroDrda:
            break;
    }
    if (!attributi.classe || attributi.classe->empty()) {
        return {Verdetto::NonDb2, p,
                "il server parla DRDA ma non dice la sua classe (SRVCLSNM): non \xE8 DB2; " +
                    Record(record)};
    }
    std::string t =
        "il server parla DRDA ma non \xE8 DB2: \xE8 " + TestoVisibile(*attributi.classe);
    if (attributi.rilascio && !attributi.rilascio->empty())
        t.append(" (").append(TestoVisibile(*attributi.rilascio)).append(")");
    return {Verdetto::NonDb2, p, t + "; " + Record(record)};
}

}  // namespace velmar::drda
