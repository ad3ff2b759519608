// SetupVelmar: starts COM for the application-folder component, creates the setup window on
// the installed package and runs the message loop. The window ends the program itself.
#include <windows.h>
#include <objbase.h>

#include "platform/handles_win32.h"
#include "pacchetto/pacchetto_win32.h"
#include "window/form_setup_velmar_win32.h"

int WINAPI WinMain(HINSTANCE istanza, HINSTANCE, LPSTR, int comando) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    velmar::ArchivioPacchetto archivio;
    velmar::FormSetupVelmar form(archivio, velmar::InterfacciaDiSistema());
    if (!form.Crea(istanza))
        return 1;
    form.Mostra(comando);

    MSG messaggio;
    while (::GetMessageW(&messaggio, nullptr, 0, 0) > 0) {
        // The dialog manager gives Tab, the arrow keys and Escape their usual meaning.
        if (!::IsDialogMessageW(form.Finestra(), &messaggio)) {
            ::TranslateMessage(&messaggio);
            ::DispatchMessageW(&messaggio);
        }
    }
    return static_cast<int>(messaggio.wParam);
}
