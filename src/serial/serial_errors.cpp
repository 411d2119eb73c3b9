#include "serial/serial_errors.h"

#include "buffers/cp1250_literal.h"

namespace zelvane {

const char* SerialErrorText(int code) {
  // Each text is converted to code page 1250 when the library is compiled.
  switch (code) {
    case 0: {
      static constexpr Cp1250Literal text(u8"Bez błędu");
      return text.c_str();
    }
    case TE_PARAM: {
      static constexpr Cp1250Literal text(u8"Błąd obsługi portu szeregowego: niewłaściwy parametr");
      return text.c_str();
    }
    case TE_NOPORT: {
      static constexpr Cp1250Literal text(u8"Port szeregowy o danym numerze nie istnieje");
      return text.c_str();
    }
    case TE_NOTOPEN: {
      static constexpr Cp1250Literal text(u8"Port szeregowy nie został aktywowany");
      return text.c_str();
    }
    case TE_CONFL: {
      static constexpr Cp1250Literal text(u8"Port szeregowy o danym numerze jest już w użyciu");
      return text.c_str();
    }
    case TE_TIMEOUT: {
      static constexpr Cp1250Literal text(
          u8"Błąd obsługi portu szeregowego: czas oczekiwania upłynął");
      return text.c_str();
    }
    case TE_LINK: {
      static constexpr Cp1250Literal text(u8"Błąd obsługi portu szeregowego: utrata połączenia");
      return text.c_str();
    }
    case TE_BREAK: {
      static constexpr Cp1250Literal text(u8"Transmisja przerwana przez użytkownika");
      return text.c_str();
    }
    case TE_OVERFLOW: {
      static constexpr Cp1250Literal text(
          u8"Błąd obsługi portu szeregowego: przepełnienie bufora wejściowego");
      return text.c_str();
    }
    case TE_ABORT: {
      static constexpr Cp1250Literal text(
          u8"Błąd obsługi portu szeregowego: transmisja została przerwana");
      return text.c_str();
    }
    case TE_NOMEM: {
      static constexpr Cp1250Literal text(u8"Błąd obsługi portu szeregowego: brak zasobów");
      return text.c_str();
    }
    default: {
      static constexpr Cp1250Literal text(u8"Nieokreślony błąd #");
      return text.c_str();
    }
  }
}

}  // namespace zelvane
