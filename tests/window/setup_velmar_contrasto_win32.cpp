// SetupVelmar as it shows itself with Windows' high contrast on, for the picture ./demo.sh takes
// of it: Wine never reports the setting on, so this build sets the window's switch before the
// program of main_win32.cpp starts. Not part of the release.
#include "window/form_setup_velmar_win32.h"

namespace {

// Set before WinMain runs: the switch is constant-initialised, so nothing sets it back.
[[maybe_unused]] const bool kContrastoImposto =
    (velmar::ImponiContrastoElevato(velmar::ContrastoElevato::Attivo), true);

}  // namespace
