// Stand-in for the application-folder component: one coclass, "PercorsiApplicazioni.Percorsi",
// reached through IDispatch only (no type library). Its one method, Percorso(key), returns the
// REG_SZ value named `key` under HKEY_CURRENT_USER\Software\PercorsiApplicazioni without a final
// "\"; an unknown key raises DISP_E_EXCEPTION with a description.
//
// Configure it with:  reg add HKCU\Software\PercorsiApplicazioni /v Brio /d C:\Pacchetto /f
#include <windows.h>
#include <oaidl.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <cwchar>
#include <new>

#include "platform/handles_win32.h"

namespace {

using velmar::com_ptr;
using velmar::unique_bstr;
using velmar::unique_hkey;
using velmar::unique_variant;

// {5E0C7A41-2D9B-4C6E-8F13-B7A4D26E90C5}
constexpr CLSID kClsidPercorsi = {
    0x5e0c7a41, 0x2d9b, 0x4c6e, {0x8f, 0x13, 0xb7, 0xa4, 0xd2, 0x6e, 0x90, 0xc5}};
constexpr wchar_t kTestoClsid[] = L"{5E0C7A41-2D9B-4C6E-8F13-B7A4D26E90C5}";
constexpr wchar_t kProgId[] = L"PercorsiApplicazioni.Percorsi";
constexpr wchar_t kDescrizione[] = L"PercorsiApplicazioni - cartelle delle applicazioni";
constexpr wchar_t kChiaveConfigurazione[] = L"Software\\PercorsiApplicazioni";
constexpr wchar_t kNomeMetodo[] = L"Percorso";
constexpr DISPID kDispidPercorso = 1;
// Longest folder answered, in characters.
constexpr DWORD kLunghezzaMassima = 32767;

HMODULE g_modulo = nullptr;
std::atomic<long> g_oggetti{0};
std::atomic<long> g_blocchi{0};

// Fills the exception of a failed call (when the caller asked for one).
HRESULT Eccezione(EXCEPINFO* eccezione, const wchar_t* descrizione, const wchar_t* dettaglio,
                  HRESULT codice) noexcept {
    if (eccezione == nullptr)
        return DISP_E_EXCEPTION;
    *eccezione = EXCEPINFO{};
    eccezione->bstrSource = ::SysAllocString(kProgId);
    const UINT n1 = static_cast<UINT>(std::wcslen(descrizione));
    const UINT n2 = static_cast<UINT>(std::wcslen(dettaglio));
    eccezione->bstrDescription = ::SysAllocStringLen(nullptr, n1 + n2);
    if (eccezione->bstrDescription != nullptr) {
        std::wmemcpy(eccezione->bstrDescription, descrizione, n1);
        std::wmemcpy(eccezione->bstrDescription + n1, dettaglio, n2);
    }
    eccezione->scode = codice;
    return DISP_E_EXCEPTION;
}

// The folder configured for `chiave`, without a final "\"; null when the key is unknown.
BSTR CartellaConfigurata(const wchar_t* chiave) noexcept {
    unique_hkey k;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kChiaveConfigurazione, 0, KEY_QUERY_VALUE, k.put()) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    DWORD tipo = REG_NONE;
    DWORD byte = 0;
    if (::RegQueryValueExW(k.get(), chiave, nullptr, &tipo, nullptr, &byte) != ERROR_SUCCESS ||
        tipo != REG_SZ || byte > kLunghezzaMassima * sizeof(wchar_t)) {
        return nullptr;
    }
    unique_bstr testo(::SysAllocStringByteLen(nullptr, byte));
    if (testo.get() == nullptr)
        return nullptr;
    if (::RegQueryValueExW(k.get(), chiave, nullptr, &tipo, reinterpret_cast<BYTE*>(testo.get()),
                           &byte) != ERROR_SUCCESS ||
        tipo != REG_SZ) {
        return nullptr;
    }
    UINT n = byte / sizeof(wchar_t);
    while (n > 0 && testo.get()[n - 1] == L'\0')
        --n;
    if (n > 0 && testo.get()[n - 1] == L'\\')
        --n;
    return ::SysAllocStringLen(testo.get(), n);
}

class Percorsi final : public IDispatch {
  public:
    Percorsi() noexcept { ++g_oggetti; }
    Percorsi(const Percorsi&) = delete;
    Percorsi& operator=(const Percorsi&) = delete;
    ~Percorsi() { --g_oggetti; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** oggetto) noexcept override {
        if (oggetto == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *oggetto = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *oggetto = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++riferimenti_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const long n = --riferimenti_;
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* numero) noexcept override {
        if (numero == nullptr)
            return E_POINTER;
        *numero = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        if (info != nullptr)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* nomi, UINT numero, LCID,
                                            DISPID* id) noexcept override {
        if (nomi == nullptr || id == nullptr)
            return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < numero; ++i) {
            // The first name is the member's; any further one would name an argument.
            if (i == 0 && nomi[0] != nullptr &&
                ::CompareStringOrdinal(nomi[0], -1, kNomeMetodo, -1, TRUE) == CSTR_EQUAL) {
                id[0] = kDispidPercorso;
            } else {
                id[i] = DISPID_UNKNOWN;
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID membro, REFIID, LCID, WORD modo, DISPPARAMS* parametri,
                                     VARIANT* risultato, EXCEPINFO* eccezione,
                                     UINT* argomentoErrato) noexcept override {
        if (membro != kDispidPercorso)
            return DISP_E_MEMBERNOTFOUND;
        if ((modo & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0)
            return DISP_E_MEMBERNOTFOUND;
        if (parametri == nullptr)
            return E_POINTER;
        if (parametri->cNamedArgs != 0)
            return DISP_E_NONAMEDARGS;
        if (parametri->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;

        // The key, by value or by reference, as text.
        unique_variant chiave;
        HRESULT hr = ::VariantCopyInd(chiave.get(), &parametri->rgvarg[0]);
        if (SUCCEEDED(hr))
            hr = ::VariantChangeType(chiave.get(), chiave.get(), 0, VT_BSTR);
        if (FAILED(hr)) {
            if (argomentoErrato != nullptr)
                *argomentoErrato = 0;
            return DISP_E_TYPEMISMATCH;
        }
        const wchar_t* testoChiave = chiave.get()->bstrVal != nullptr ? chiave.get()->bstrVal : L"";

        unique_bstr cartella(CartellaConfigurata(testoChiave));
        if (cartella.get() == nullptr) {
            return Eccezione(eccezione, L"Chiave applicazione sconosciuta: ", testoChiave,
                             E_INVALIDARG);
        }
        if (risultato != nullptr) {
            ::VariantInit(risultato);
            risultato->vt = VT_BSTR;
            risultato->bstrVal = cartella.release();
        }
        return S_OK;
    }

  private:
    std::atomic<long> riferimenti_{1};
};

class Fabbrica final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** oggetto) noexcept override {
        if (oggetto == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *oggetto = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *oggetto = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: its references only keep the module loaded.
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(++g_blocchi); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return static_cast<ULONG>(--g_blocchi); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* esterno, REFIID iid,
                                             void** oggetto) noexcept override {
        if (oggetto == nullptr)
            return E_POINTER;
        *oggetto = nullptr;
        if (esterno != nullptr)
            return CLASS_E_NOAGGREGATION;
        // The new object's first reference is this owner's, dropped once the caller has its own.
        com_ptr<Percorsi> proprio;
        proprio.reset(new (std::nothrow) Percorsi());
        if (!proprio)
            return E_OUTOFMEMORY;
        return proprio->QueryInterface(iid, oggetto);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL blocca) noexcept override {
        if (blocca) {
            ++g_blocchi;
        } else {
            --g_blocchi;
        }
        return S_OK;
    }
};

Fabbrica g_fabbrica;

// Writes the default value (and, when `nome` is given, a named value) of a key under
// HKEY_CLASSES_ROOT, creating the key.
bool ScriviClasse(const wchar_t* percorso, const wchar_t* predefinito,
                  const wchar_t* nome = nullptr, const wchar_t* valore = nullptr) noexcept {
    unique_hkey k;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, percorso, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, k.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto scrivi = [&](const wchar_t* n, const wchar_t* v) {
        const DWORD byte = static_cast<DWORD>((std::wcslen(v) + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(k.get(), n, 0, REG_SZ, reinterpret_cast<const BYTE*>(v), byte) ==
               ERROR_SUCCESS;
    };
    if (predefinito != nullptr && !scrivi(nullptr, predefinito))
        return false;
    return nome == nullptr || scrivi(nome, valore);
}

constexpr std::size_t kLunghezzaChiave = 128;

void ChiaveClsid(wchar_t (&out)[kLunghezzaChiave], const wchar_t* sotto) noexcept {
    std::swprintf(out, kLunghezzaChiave, L"CLSID\\%ls%ls", kTestoClsid, sotto);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE modulo, DWORD motivo, LPVOID) {
    if (motivo == DLL_PROCESS_ATTACH) {
        g_modulo = modulo;
        ::DisableThreadLibraryCalls(modulo);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* oggetto) {
    if (oggetto == nullptr)
        return E_POINTER;
    *oggetto = nullptr;
    if (clsid != kClsidPercorsi)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_fabbrica.QueryInterface(iid, oggetto);
}

STDAPI DllCanUnloadNow() {
    return g_oggetti == 0 && g_blocchi == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    wchar_t modulo[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(g_modulo, modulo, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return SELFREG_E_CLASS;

    wchar_t chiave[kLunghezzaChiave];
    ChiaveClsid(chiave, L"");
    bool ok = ScriviClasse(chiave, kDescrizione);
    ChiaveClsid(chiave, L"\\InprocServer32");
    ok = ok && ScriviClasse(chiave, modulo, L"ThreadingModel", L"Both");
    ChiaveClsid(chiave, L"\\ProgID");
    ok = ok && ScriviClasse(chiave, kProgId);
    ok = ok && ScriviClasse(kProgId, kDescrizione);
    std::swprintf(chiave, kLunghezzaChiave, L"%ls\\CLSID", kProgId);
    ok = ok && ScriviClasse(chiave, kTestoClsid);
    return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    wchar_t chiave[kLunghezzaChiave];
    ChiaveClsid(chiave, L"");
    const LSTATUS a = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, chiave);
    const LSTATUS b = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    const auto ok = [](LSTATUS s) { return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND; };
    return ok(a) && ok(b) ? S_OK : SELFREG_E_CLASS;
}
