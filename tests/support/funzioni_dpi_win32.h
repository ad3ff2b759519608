// The DPI functions of an older Windows only, for one scope: the fallbacks run where the newer
// functions exist.
#pragma once

#include "platform/dpi_win32.h"

namespace velmar::test {

class FunzioniDpiLimitate {
  public:
    explicit FunzioniDpiLimitate(FunzioniDpi funzioni) noexcept { LimitaFunzioniDpi(funzioni); }
    FunzioniDpiLimitate(const FunzioniDpiLimitate&) = delete;
    FunzioniDpiLimitate& operator=(const FunzioniDpiLimitate&) = delete;
    ~FunzioniDpiLimitate() { LimitaFunzioniDpi(FunzioniDpi::DelSistema); }
};

}  // namespace velmar::test
