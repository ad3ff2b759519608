// The application-folder component through IDispatch late binding.
#include "pacchetto/percorsi_win32.h"

#include <optional>
#include <string_view>
#include <utility>

#include "platform/file_system_win32.h"
#include "store/conferma.h"
#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/file_system.h"

namespace velmar {

namespace {

constexpr wchar_t kMetodoPercorso[] = L"Percorso";
// The step of a failed request: the component's method.
constexpr char kPasso[] = "Percorso";
constexpr wchar_t kChiaveApplicazione[] = L"Brio";

std::u16string_view Testo16(const wchar_t* testo, std::size_t lunghezza) noexcept {
    return {reinterpret_cast<const char16_t*>(testo), lunghezza};
}

// The system's description of `hr`.
Errore DelSistema(HRESULT hr) {
    return Errore(TipoErrore::Sistema, DescrizioneErrore(static_cast<DWORD>(hr)));
}

struct VoceMotivo {
    StatoCartella stato;
    std::string_view motivo;
};

constexpr VoceMotivo kMotivi[] = {
    {StatoCartella::ComponenteAssente, "il componente PercorsiApplicazioni non si pu\xF2 creare"},
    {StatoCartella::AltraArchitettura,
     "il componente PercorsiApplicazioni non si pu\xF2 usare da questo programma"},
    {StatoCartella::ErrorePercorso, "il componente non ha dato la cartella"},
    {StatoCartella::Vuota, "il componente ha dato una cartella vuota"},
    {StatoCartella::Relativa, "il componente ha dato un percorso non completo"},
    {StatoCartella::NonRappresentabile, "la cartella data dal componente contiene "},
};

// The failure for `stato`: its reason, at the step `passo` of the request when it is one, and
// what the component or the system said.
Errore Fallita(StatoCartella stato, std::string passo, std::optional<Errore> causa) {
    Errore e(TipoErrore::CartellaNonDisponibile, MotivoCartella(stato));
    e.passo = std::move(passo);
    if (causa)
        e.causa.push_back(std::move(*causa));
    return e;
}

// The failure for `stato` of the folder the component gave.
Errore FallitaCartella(StatoCartella stato, std::string cartella) {
    Errore e(TipoErrore::CartellaNonDisponibile, MotivoCartella(stato));
    e.percorso = std::move(cartella);
    return e;
}

// The registry view of programs of the other width, and the release folder of their build.
#ifdef _WIN64
constexpr REGSAM kAltraVista = KEY_WOW64_32KEY;
constexpr char kSoloAltraVista[] =
    "\xE8 registrato solo per i programmi a 32 bit; usa i programmi della cartella win32";
#else
constexpr REGSAM kAltraVista = KEY_WOW64_64KEY;
constexpr char kSoloAltraVista[] =
    "\xE8 registrato solo per i programmi a 64 bit; usa i programmi della cartella win64";
#endif

// The text of the default value of HKEY_CLASSES_ROOT\`chiave` in registry view `vista` (0 for
// this program's), or nothing.
std::optional<std::wstring> ValoreClassi(const std::wstring& chiave, REGSAM vista) {
    unique_hkey k;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, chiave.c_str(), 0, KEY_QUERY_VALUE | vista, k.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t testo[128] = {};
    DWORD dimensione = sizeof(testo) - sizeof(wchar_t);
    DWORD tipo = REG_NONE;
    if (::RegQueryValueExW(k.get(), nullptr, nullptr, &tipo, reinterpret_cast<BYTE*>(testo),
                           &dimensione) != ERROR_SUCCESS ||
        tipo != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(testo);
}

bool EsisteChiaveClassi(const std::wstring& chiave, REGSAM vista) {
    unique_hkey k;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, chiave.c_str(), 0, KEY_QUERY_VALUE | vista,
                           k.put()) == ERROR_SUCCESS;
}

// True when the class `progId` names has an in-process server only in the other width's
// registry view (HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32). The ProgID itself may be in
// either view. On 32-bit Windows there is one view, and the answer is false.
bool SoloNellAltraVista(const std::wstring& progId) {
    std::optional<std::wstring> clsid = ValoreClassi(progId + L"\\CLSID", 0);
    if (!clsid)
        clsid = ValoreClassi(progId + L"\\CLSID", kAltraVista);
    if (!clsid || clsid->empty())
        return false;
    const std::wstring server = L"CLSID\\" + *clsid + L"\\InprocServer32";
    return !EsisteChiaveClassi(server, 0) && EsisteChiaveClassi(server, kAltraVista);
}

}  // namespace

std::string MotivoCartella(StatoCartella stato) {
    for (const VoceMotivo& v : kMotivi) {
        if (v.stato != stato)
            continue;
        if (stato == StatoCartella::NonRappresentabile)
            return std::string(v.motivo) + std::string(kCaratteriNonAmmessi);
        return std::string(v.motivo);
    }
    return {};
}

ComponentePercorsi::ComponentePercorsi(std::wstring progId) noexcept : progId_(std::move(progId)) {}

Esito ComponentePercorsi::Crea() {
    CLSID clsid{};
    com_ptr<IDispatch> istanza;
    HRESULT hr = ::CLSIDFromProgID(progId_.c_str(), &clsid);
    const char* passo = "CLSIDFromProgID";
    if (SUCCEEDED(hr)) {
        hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, istanza.put_void());
        passo = "CoCreateInstance";
    }
    if (FAILED(hr)) {
        if (SoloNellAltraVista(progId_)) {
            return Errore(
                TipoErrore::CartellaNonDisponibile,
                MotivoCartella(StatoCartella::AltraArchitettura) + ": " + kSoloAltraVista);
        }
        return Fallita(StatoCartella::ComponenteAssente, passo, DelSistema(hr));
    }
    istanza_ = std::move(istanza);
    percorso_ = DISPID_UNKNOWN;
    return {};
}

Risultato<std::string> ComponentePercorsi::ChiediCartella() {
    if (!istanza_) {
        if (Esito creato = Crea(); !creato)
            return std::move(creato).Errore();
    }

    if (percorso_ == DISPID_UNKNOWN) {
        LPOLESTR nome = const_cast<LPOLESTR>(kMetodoPercorso);
        DISPID id = DISPID_UNKNOWN;
        const HRESULT hr = istanza_->GetIDsOfNames(IID_NULL, &nome, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            return Fallita(StatoCartella::ErrorePercorso, kPasso, DelSistema(hr));
        percorso_ = id;
    }

    unique_variant argomento;
    argomento.get()->vt = VT_BSTR;
    argomento.get()->bstrVal = ::SysAllocString(kChiaveApplicazione);
    if (argomento.get()->bstrVal == nullptr) {
        return Fallita(StatoCartella::ErrorePercorso, kPasso, DelSistema(E_OUTOFMEMORY));
    }
    DISPPARAMS parametri{argomento.get(), nullptr, 1, 0};
    unique_variant risultato;
    EXCEPINFO eccezione{};
    UINT argomentoErrato = 0;
    HRESULT hr = istanza_->Invoke(percorso_, IID_NULL, LOCALE_USER_DEFAULT,
                                  DISPATCH_METHOD | DISPATCH_PROPERTYGET, &parametri,
                                  risultato.get(), &eccezione, &argomentoErrato);
    if (hr == DISP_E_EXCEPTION && eccezione.pfnDeferredFillIn != nullptr) {
        (void)eccezione.pfnDeferredFillIn(&eccezione);
    }
    // The exception's texts are ours to free, whatever the outcome.
    unique_bstr origine(eccezione.bstrSource);
    unique_bstr descrizione(eccezione.bstrDescription);
    unique_bstr guida(eccezione.bstrHelpFile);
    if (FAILED(hr)) {
        if (hr == DISP_E_EXCEPTION && descrizione) {
            // The component's own words.
            return Fallita(StatoCartella::ErrorePercorso, kPasso,
                           Errore(TipoErrore::Sistema,
                                  Cp1252DaMostrare(Testo16(descrizione.get(),
                                                           ::SysStringLen(descrizione.get())))));
        }
        return Fallita(StatoCartella::ErrorePercorso, kPasso, DelSistema(hr));
    }

    hr = ::VariantChangeType(risultato.get(), risultato.get(), 0, VT_BSTR);
    if (FAILED(hr))
        return Fallita(StatoCartella::ErrorePercorso, kPasso, DelSistema(hr));
    const BSTR testo = risultato.get()->bstrVal;
    const std::u16string_view cartella = Testo16(testo, ::SysStringLen(testo));
    if (cartella.empty()) {
        return Fallita(StatoCartella::Vuota, kPasso,
                       Errore(TipoErrore::CartellaNonDisponibile, "testo vuoto"));
    }

    std::optional<std::string> ansi = Cp1252DaUtf16(cartella);
    if (!ansi)
        return FallitaCartella(StatoCartella::NonRappresentabile, Cp1252DaMostrare(cartella));
    if (!CartellaUsabile(FileSystemDiSistema(), *ansi))
        return FallitaCartella(StatoCartella::Relativa, *ansi);
    return *std::move(ansi);
}

}  // namespace velmar
