// SetupVelmar as it shows itself with Windows' high contrast on, for the picture ./demo.sh takes
// of it: Wine never reports the setting on, so this build sets the window's switch for it and is
// otherwise the program of main_win32.cpp. Not part of the release.
#include <windows.h>
#include <objbase.h>

#include "pacchetto/pacchetto_win32.h"
#include "window/form_setup_velmar_win32.h"

int WINAPI WinMain(HINSTANCE istanza, HINSTANCE, LPSTR, int comando) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    velmar::ImponiContrastoElevato(velmar::ContrastoElevato::Attivo);
    velmar::ArchivioPacchetto archivio;
    velmar::FormSetupVelmar form(archivio, velmar::InterfacciaDiSistema());
    if (!form.Crea(istanza))
        return 1;
    form.Mostra(comando);

    MSG messaggio;
    while (::GetMessageW(&messaggio, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(form.Finestra(), &messaggio)) {
            ::TranslateMessage(&messaggio);
            ::DispatchMessageW(&messaggio);
        }
    }
    return static_cast<int>(messaggio.wParam);
}
