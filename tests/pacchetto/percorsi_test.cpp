// The application-folder component through the stand-in PercorsiApplicazioni.dll, registered in
// the test prefix by CTest before these tests run. The stand-in answers Percorso(key) from
// HKEY_CURRENT_USER\Software\PercorsiApplicazioni, which these tests set and put back.
#include "pacchetto/messaggi.h"
#include "pacchetto/percorsi_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/registro_prova_win32.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

constexpr char kChiaveStandIn[] = "Software\\PercorsiApplicazioni";
constexpr wchar_t kProgIdAssente[] = L"PercorsiApplicazioni.NonRegistrato";

// COM for the length of one test, as the program's main sets it up.
class ConCom : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { ::CoUninitialize(); }
};

class Percorsi : public ConCom {
  protected:
    test::ValoreRipristinato brio{HKEY_CURRENT_USER, kChiaveStandIn, "Brio"};
};

// The text of a request's failure, or "" for a folder.
std::string Testo(const Risultato<std::string>& r) {
    return r ? std::string() : TestoErrore(r.Errore());
}

// Whether the request failed, and for `stato`: its text starts with that reason.
bool FallitaPer(const Risultato<std::string>& r, StatoCartella stato) {
    return !r && r.Errore().tipo == TipoErrore::CartellaNonDisponibile &&
           r.Errore().testo.starts_with(MotivoCartella(stato));
}

TEST_F(Percorsi, GivesTheConfiguredFolderWithoutAFinalBackslash) {
    struct Caso {
        const wchar_t* configurata;
        const char* attesa;
    } casi[] = {
        {L"C:\\Pacchetto", "C:\\Pacchetto"},
        {L"C:\\Pacchetto\\", "C:\\Pacchetto"},
        {L"\\\\server\\condivisa\\Brio", "\\\\server\\condivisa\\Brio"},
        {L"D:\\Societ\u00E0 \u20AC", "D:\\Societ\xE0 \x80"},
    };
    ComponentePercorsi componente;
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.attesa);
        ASSERT_EQ(brio.ScriviWide(c.configurata), ERROR_SUCCESS);
        EXPECT_EQ(test::Valore(componente.ChiediCartella()), c.attesa);
    }
}

TEST_F(Percorsi, TreatsUnusableAnswersAsUnavailable) {
    struct Caso {
        const wchar_t* configurata;
        StatoCartella stato;
    } casi[] = {
        {L"", StatoCartella::Vuota},
        {L"\\", StatoCartella::Vuota},  // the stand-in drops the final "\"
        {L"Pacchetto", StatoCartella::Relativa},
        {L"C:Pacchetto", StatoCartella::Relativa},
        {L"\\Pacchetto", StatoCartella::Relativa},
        {L"C:\\\u0141\u00F3d\u017A", StatoCartella::NonRappresentabile},
    };
    ComponentePercorsi componente;
    for (const Caso& c : casi) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.configurata)));
        ASSERT_EQ(brio.ScriviWide(c.configurata), ERROR_SUCCESS);
        const Risultato<std::string> r = componente.ChiediCartella();
        EXPECT_TRUE(FallitaPer(r, c.stato)) << Testo(r);
    }
}

TEST_F(Percorsi, ReportsTheComponentsErrorWhenItDoesNotKnowTheKey) {
    brio.Elimina();
    ComponentePercorsi componente;
    const Risultato<std::string> r = componente.ChiediCartella();
    EXPECT_TRUE(FallitaPer(r, StatoCartella::ErrorePercorso)) << Testo(r);
    EXPECT_NE(Testo(r).find("Chiave applicazione sconosciuta: Brio"), std::string::npos)
        << Testo(r);
}

TEST_F(Percorsi, AsksAnewAtEveryRequestWithTheSameInstance) {
    ComponentePercorsi componente;
    ASSERT_EQ(brio.ScriviWide(L"C:\\Primo"), ERROR_SUCCESS);
    EXPECT_EQ(test::Valore(componente.ChiediCartella()), "C:\\Primo");
    brio.Elimina();
    EXPECT_TRUE(FallitaPer(componente.ChiediCartella(), StatoCartella::ErrorePercorso));
    ASSERT_EQ(brio.ScriviWide(L"C:\\Secondo"), ERROR_SUCCESS);
    EXPECT_EQ(test::Valore(componente.ChiediCartella()), "C:\\Secondo");
}

// A component registered only for programs of the other width, and the build that would load it.
#ifdef _WIN64
constexpr REGSAM kVistaAltraLarghezza = KEY_WOW64_32KEY;
constexpr char kUsaAltraBuild[] = "usa i programmi della cartella win32";
#else
constexpr REGSAM kVistaAltraLarghezza = KEY_WOW64_64KEY;
constexpr char kUsaAltraBuild[] = "usa i programmi della cartella win64";
#endif

TEST_F(ConCom, AComponentOnlyForProgramsOfTheOtherWidthNamesTheBuildToUse) {
    test::ClasseProvvisoria classe;
    ASSERT_TRUE(classe.Registra(kVistaAltraLarghezza));
    const Risultato<std::string> r = ComponentePercorsi(classe.ProgId()).ChiediCartella();
    EXPECT_TRUE(FallitaPer(r, StatoCartella::AltraArchitettura)) << Testo(r);
    EXPECT_NE(Testo(r).find(kUsaAltraBuild), std::string::npos) << Testo(r);

    // Registered for this program's width too, it failed for another reason.
    ASSERT_TRUE(classe.Registra(0));
    EXPECT_TRUE(FallitaPer(ComponentePercorsi(classe.ProgId()).ChiediCartella(),
                           StatoCartella::ComponenteAssente));
}

TEST_F(ConCom, ComponentNotRegisteredIsUnavailable) {
    ComponentePercorsi componente(kProgIdAssente);
    const Risultato<std::string> r = componente.ChiediCartella();
    EXPECT_TRUE(FallitaPer(r, StatoCartella::ComponenteAssente)) << Testo(r);
    EXPECT_NE(Testo(r).find("CLSIDFromProgID"), std::string::npos) << Testo(r);
}

// A ProgID made for the test that leads to the stand-in's class, removed at the end.
class ProgIdProvvisorio {
  public:
    explicit ProgIdProvvisorio(const std::wstring& progId) : progId_(progId) {}
    ProgIdProvvisorio(const ProgIdProvvisorio&) = delete;
    ProgIdProvvisorio& operator=(const ProgIdProvvisorio&) = delete;
    ~ProgIdProvvisorio() { ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId_.c_str()); }

    [[nodiscard]] bool Registra() const {
        CLSID clsid{};
        if (FAILED(::CLSIDFromProgID(kProgIdPercorsi, &clsid)))
            return false;
        wchar_t testo[64];
        if (::StringFromGUID2(clsid, testo, 64) == 0)
            return false;
        return test::ScriviTestoWide(HKEY_CLASSES_ROOT, progId_ + L"\\CLSID", L"", testo) ==
               ERROR_SUCCESS;
    }

  private:
    std::wstring progId_;
};

TEST_F(Percorsi, FindsAComponentRegisteredAfterAFailedRequest) {
    const std::wstring progId = L"PercorsiApplicazioni.Prova" + std::to_wstring(::GetTickCount64());
    ProgIdProvvisorio registrazione(progId);
    ASSERT_EQ(brio.ScriviWide(L"C:\\Pacchetto"), ERROR_SUCCESS);

    ComponentePercorsi componente(progId);
    EXPECT_TRUE(FallitaPer(componente.ChiediCartella(), StatoCartella::ComponenteAssente));
    ASSERT_TRUE(registrazione.Registra());
    EXPECT_EQ(test::Valore(componente.ChiediCartella()), "C:\\Pacchetto");
}

// ---------------------------------------------------------------------------------------------
// The stand-in's own IDispatch contract, as a late-binding caller other than ours uses it.

class StandIn : public Percorsi {
  protected:
    void SetUp() override {
        Percorsi::SetUp();
        CLSID clsid{};
        ASSERT_TRUE(SUCCEEDED(::CLSIDFromProgID(kProgIdPercorsi, &clsid)));
        ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                                 IID_IDispatch, oggetto.put_void())));
    }
    void TearDown() override {
        oggetto.reset();
        Percorsi::TearDown();
    }

    HRESULT Nome(const wchar_t* nome, DISPID& id) {
        LPOLESTR n = const_cast<LPOLESTR>(nome);
        return oggetto->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    }

    com_ptr<IDispatch> oggetto;
};

TEST_F(StandIn, HasNoTypeInfoAndMatchesTheMethodNameInAnyCase) {
    UINT numero = 99;
    EXPECT_EQ(oggetto->GetTypeInfoCount(&numero), S_OK);
    EXPECT_EQ(numero, 0u);

    DISPID a = DISPID_UNKNOWN, b = DISPID_UNKNOWN, c = DISPID_UNKNOWN;
    EXPECT_EQ(Nome(L"Percorso", a), S_OK);
    EXPECT_EQ(Nome(L"PERCORSO", b), S_OK);
    EXPECT_EQ(Nome(L"percorso", c), S_OK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    DISPID d = 0;
    EXPECT_EQ(Nome(L"Percorsi", d), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(d, DISPID_UNKNOWN);
}

TEST_F(StandIn, TakesTheKeyByReferenceAndAllowsNoResult) {
    ASSERT_EQ(brio.ScriviWide(L"C:\\Pacchetto\\"), ERROR_SUCCESS);
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(Nome(L"Percorso", id), S_OK);

    unique_bstr chiave(::SysAllocString(L"Brio"));
    BSTR chiaveRef = chiave.get();
    VARIANT argomento;
    ::VariantInit(&argomento);
    argomento.vt = VT_BSTR | VT_BYREF;
    argomento.pbstrVal = &chiaveRef;
    DISPPARAMS parametri{&argomento, nullptr, 1, 0};

    unique_variant risultato;
    ASSERT_EQ(oggetto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parametri,
                              risultato.get(), nullptr, nullptr),
              S_OK);
    ASSERT_EQ(risultato.get()->vt, VT_BSTR);
    EXPECT_STREQ(risultato.get()->bstrVal, L"C:\\Pacchetto");

    EXPECT_EQ(oggetto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parametri,
                              nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(oggetto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &parametri,
                              nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    DISPPARAMS senzaArgomenti{nullptr, nullptr, 0, 0};
    EXPECT_EQ(oggetto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &senzaArgomenti,
                              nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
}

TEST_F(StandIn, RaisesAnExceptionWithADescriptionForAnUnknownKey) {
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(Nome(L"Percorso", id), S_OK);
    unique_variant argomento;
    argomento.get()->vt = VT_BSTR;
    argomento.get()->bstrVal = ::SysAllocString(L"ChiaveCheNonEsiste");
    DISPPARAMS parametri{argomento.get(), nullptr, 1, 0};
    EXCEPINFO eccezione{};
    unique_variant risultato;
    EXPECT_EQ(oggetto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parametri,
                              risultato.get(), &eccezione, nullptr),
              DISP_E_EXCEPTION);
    unique_bstr origine(eccezione.bstrSource), descrizione(eccezione.bstrDescription),
        guida(eccezione.bstrHelpFile);
    EXPECT_STREQ(descrizione.get(), L"Chiave applicazione sconosciuta: ChiaveCheNonEsiste");
    EXPECT_STREQ(origine.get(), kProgIdPercorsi);
    EXPECT_EQ(risultato.get()->vt, VT_EMPTY);
}

}  // namespace
}  // namespace velmar
