#include "pacchetto/messaggi.h"

#include <gtest/gtest.h>

#include "store/ditte.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

Errore DelSistema(std::string testo) {
    return Errore(TipoErrore::Sistema, std::move(testo));
}

TEST(TestoErrore, JoinsEachLayersWordsWithItsContextAndStartsWithACapital) {
    Errore componente(TipoErrore::CartellaNonDisponibile, "il componente non ha dato la cartella");
    componente.passo = "Percorso";
    componente.causa.push_back(DelSistema("Chiave applicazione sconosciuta: Brio"));
    Errore nonDisponibile(TipoErrore::CartellaNonDisponibile, std::string(kCartellaNonDisponibile));
    nonDisponibile.causa.push_back(componente);
    struct Caso {
        Errore errore;
        std::string testo;
    };
    const Caso casi[] = {
        {Errore(TipoErrore::VoceNonValida, "Inserisci il Codice Ditta"),
         "Inserisci il Codice Ditta"},
        {nonDisponibile,
         "Cartella del pacchetto non disponibile: il componente non ha dato la cartella: "
         "Percorso: Chiave applicazione sconosciuta: Brio"},
        {DelFile(TipoErrore::Illeggibile, "il file dei parametri non si legge", "C:\\P\\F.txt",
                 DelSistema("Accesso negato. (5)")),
         "Il file dei parametri non si legge: C:\\P\\F.txt: Accesso negato. (5)"},
        // A change that wrote nothing: a line for each path, in the words of its reason.
        {Errore(TipoErrore::NonSalvato, "",
                {{"C:\\P\\BRIO_PARAMS.txt", NelPasso("lettura", DelSistema("errore"))},
                 {"", test::Rifiuto("la riga 1 ha un LF", Rimedio::Ripara)},
                 {"C:\\P\\A", test::Rifiuto("il file manca", Rimedio::RimettiCopia)},
                 {"C:\\P\\B", test::Rifiuto("non si converte", Rimedio::CorreggiAMano)},
                 {"", nonDisponibile}}),
         std::string(kMsgSalvataggioNonRiuscito) +
             "\r\nC:\\P\\BRIO_PARAMS.txt: lettura: errore"
             "\r\nla riga 1 ha un LF. Non \xE8 stato scritto nulla: ripara il pacchetto con "
             "SetupVelmarCmd ripara e riprova"
             "\r\nC:\\P\\A: il file manca. Non \xE8 stato scritto nulla: rimetti una delle copie "
             "al suo posto e riprova"
             "\r\nC:\\P\\B: non si converte. Non \xE8 stato scritto nulla: correggi il file a mano"
             "\r\ncartella del pacchetto non disponibile: il componente non ha dato la cartella: "
             "Percorso: Chiave applicazione sconosciuta: Brio"},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(TestoErrore(c.errore), c.testo);
}

TEST(TestoAggiornamento, SaysWhatEachChangeDidThenTheCopiesKeptAndTheFilesLeft) {
    const std::vector<std::string> aggiornati = {"C:\\P\\BRIO_PARAMS.txt",
                                                 "C:\\P\\A\\BRIO_PARAMS.txt"};
    const auto fatto = [&](TipoModifica modifica) {
        Aggiornamento a;
        a.modifica = modifica;
        a.aggiornati = aggiornati;
        return a;
    };
    Aggiornamento eliminata = fatto(TipoModifica::Eliminazione);
    eliminata.codice = "001";
    Aggiornamento riparata = fatto(TipoModifica::Riparazione);
    riparata.riparazione = {2, false, false, Codifica::Byte};
    Aggiornamento inOrdine = fatto(TipoModifica::Riparazione);
    inOrdine.aggiornati.clear();
    inOrdine.nienteDaRiparare = true;
    Aggiornamento parziale = fatto(TipoModifica::Salvataggio);
    parziale.nonAggiornati = {{"C:\\P\\B\\BRIO_PARAMS.txt",
                               NelPasso("copia", DelSistema("il file \xE8 di sola lettura"))}};
    Aggiornamento conAvvisi = fatto(TipoModifica::Salvataggio);
    const CopiaConservata conservata{
        "C:\\P\\A\\BRIO_PARAMS.txt", "C:\\P\\A\\BRIO_PARAMS.bak", {"006"}};
    conAvvisi.conservate = {conservata};
    conAvvisi.avvisi = {{"C:\\P\\BRIO_PARAMS.dep", NelPasso("eliminazione", DelSistema("In uso"))}};
    const std::string righe = "\r\n" + aggiornati[0] + "\r\n" + aggiornati[1];
    struct Caso {
        Aggiornamento a;
        std::string testo;
    };
    const Caso casi[] = {
        {fatto(TipoModifica::Salvataggio), std::string(kMsgSetupTerminato)},
        {eliminata, MessaggioEliminata("001")},
        {fatto(TipoModifica::Distribuzione), std::string(kMsgCopieAggiornate) + righe},
        {riparata, MessaggioRiparato(riparata.riparazione) + "\r\n" +
                       std::string(kMsgFileAggiornati) + righe},
        {fatto(TipoModifica::Riparazione), std::string(kMsgSoloCopieAggiornate) + righe},
        {inOrdine, std::string(kMsgNessunaRiparazione)},
        {parziale, std::string(kMsgSalvataggioNonRiuscito) +
                       "\r\nC:\\P\\B\\BRIO_PARAMS.txt: copia: il file \xE8 di sola lettura"},
        {conAvvisi, std::string(kMsgSetupTerminato) + "\r\n\r\n" + conservata.copia + ": " +
                        DescrizioneConservata(conservata) +
                        "\r\n\r\nFile non eliminato: C:\\P\\BRIO_PARAMS.dep: eliminazione: In uso"},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(TestoAggiornamento(c.a), c.testo);
}

TEST(TestoProblema, GivesTheCauseThenWhatMendsIt) {
    Problema illeggibile;
    illeggibile.descrizione = "la copia non si legge";
    illeggibile.causa.push_back(DelSistema("Accesso negato. (5)"));
    const auto con = [](RimedioProblema rimedio) {
        Problema p;
        p.descrizione = "il file";
        p.rimedio = rimedio;
        return p;
    };
    EXPECT_EQ(TestoProblema(illeggibile), "la copia non si legge: Accesso negato. (5)");
    EXPECT_EQ(TestoProblema(con(RimedioProblema::Nessuno)), "il file");
    EXPECT_EQ(TestoProblema(con(RimedioProblema::TogliBom)),
              "il file. SetupVelmarCmd ripara lo toglie");
    EXPECT_EQ(TestoProblema(con(RimedioProblema::Converti)),
              "il file. SetupVelmarCmd ripara lo converte");
    EXPECT_EQ(TestoProblema(con(RimedioProblema::SostituisciCopia)),
              "il file. SetupVelmarCmd distribuisci o ripara la sostituiscono con il file della "
              "cartella del pacchetto, conservandola prima se ha ditte che quello non ha");
}

}  // namespace
}  // namespace velmar
