// The application-folder component through IDispatch late binding.
#include "pacchetto/percorsi_win32.h"

#include <optional>
#include <string_view>
#include <utility>

#include "platform/file_system_win32.h"
#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

namespace {

constexpr wchar_t kMetodoPercorso[] = L"Percorso";
constexpr wchar_t kChiaveApplicazione[] = L"Brio";

std::u16string_view Testo16(const wchar_t* testo, std::size_t lunghezza) noexcept {
    return {reinterpret_cast<const char16_t*>(testo), lunghezza};
}

// A text for the detail of a failure: characters Windows-1252 cannot hold become "?".
std::string TestoDettaglio(std::u16string_view testo) {
    std::string s;
    for (char16_t c : testo) {
        auto b = Cp1252DaUtf16(std::u16string_view(&c, 1));
        s += b ? *b : std::string("?");
    }
    return s;
}

std::string DescrizioneHresult(std::string_view passo, HRESULT hr) {
    return std::string(passo) + ": " + DescrizioneErrore(static_cast<DWORD>(hr));
}

CartellaComponente Fallita(StatoCartella stato, std::string dettaglio) {
    return {stato, {}, std::move(dettaglio)};
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

ComponentePercorsi::ComponentePercorsi(std::wstring progId) noexcept : progId_(std::move(progId)) {}

StatoCartella ComponentePercorsi::Crea(std::string& dettaglio) {
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
            dettaglio = kSoloAltraVista;
            return StatoCartella::AltraArchitettura;
        }
        dettaglio = DescrizioneHresult(passo, hr);
        return StatoCartella::ComponenteAssente;
    }
    istanza_ = std::move(istanza);
    percorso_ = DISPID_UNKNOWN;
    return StatoCartella::Disponibile;
}

CartellaComponente ComponentePercorsi::ChiediCartella() {
    std::string dettaglio;
    if (!istanza_) {
        if (const StatoCartella stato = Crea(dettaglio); stato != StatoCartella::Disponibile)
            return Fallita(stato, std::move(dettaglio));
    }

    if (percorso_ == DISPID_UNKNOWN) {
        LPOLESTR nome = const_cast<LPOLESTR>(kMetodoPercorso);
        DISPID id = DISPID_UNKNOWN;
        const HRESULT hr = istanza_->GetIDsOfNames(IID_NULL, &nome, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) {
            return Fallita(StatoCartella::ErrorePercorso, DescrizioneHresult("Percorso", hr));
        }
        percorso_ = id;
    }

    unique_variant argomento;
    argomento.get()->vt = VT_BSTR;
    argomento.get()->bstrVal = ::SysAllocString(kChiaveApplicazione);
    if (argomento.get()->bstrVal == nullptr) {
        return Fallita(StatoCartella::ErrorePercorso,
                       DescrizioneHresult("Percorso", E_OUTOFMEMORY));
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
            return Fallita(
                StatoCartella::ErrorePercorso,
                "Percorso: " +
                    TestoDettaglio(Testo16(descrizione.get(), ::SysStringLen(descrizione.get()))));
        }
        return Fallita(StatoCartella::ErrorePercorso, DescrizioneHresult("Percorso", hr));
    }

    hr = ::VariantChangeType(risultato.get(), risultato.get(), 0, VT_BSTR);
    if (FAILED(hr)) {
        return Fallita(StatoCartella::ErrorePercorso, DescrizioneHresult("Percorso", hr));
    }
    const BSTR testo = risultato.get()->bstrVal;
    const std::u16string_view cartella = Testo16(testo, ::SysStringLen(testo));
    if (cartella.empty())
        return Fallita(StatoCartella::Vuota, "Percorso: testo vuoto");

    std::optional<std::string> ansi = Cp1252DaUtf16(cartella);
    if (!ansi) {
        return Fallita(StatoCartella::NonRappresentabile, TestoDettaglio(cartella));
    }
    if (!FileSystemDiSistema().PercorsoAssoluto(*ansi)) {
        return Fallita(StatoCartella::Relativa, std::move(*ansi));
    }
    return {StatoCartella::Disponibile, std::move(*ansi), {}};
}

std::string ComponentePercorsi::CartellaBase() {
    CartellaComponente c = ChiediCartella();
    return c.stato == StatoCartella::Disponibile ? std::move(c.cartella) : std::string();
}

}  // namespace velmar
