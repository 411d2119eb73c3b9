#include "serial/serial_errors.h"

#include "buffers/cp1250_literal.h"

namespace zelvane {
namespace {

// Converted to code page 1250 when the library is compiled; indexed by -code.
constexpr Cp1250Literal kNoError{u8"Bez błędu"};
constexpr Cp1250Literal kParam{u8"Błąd obsługi portu szeregowego: niewłaściwy parametr"};
constexpr Cp1250Literal kNoPort{u8"Port szeregowy o danym numerze nie istnieje"};
constexpr Cp1250Literal kNotOpen{u8"Port szeregowy nie został aktywowany"};
constexpr Cp1250Literal kConflict{u8"Port szeregowy o danym numerze jest już w użyciu"};
constexpr Cp1250Literal kTimeout{u8"Błąd obsługi portu szeregowego: czas oczekiwania upłynął"};
constexpr Cp1250Literal kLink{u8"Błąd obsługi portu szeregowego: utrata połączenia"};
constexpr Cp1250Literal kBreak{u8"Transmisja przerwana przez użytkownika"};
constexpr Cp1250Literal kOverflow{
    u8"Błąd obsługi portu szeregowego: przepełnienie bufora wejściowego"};
constexpr Cp1250Literal kAbort{u8"Błąd obsługi portu szeregowego: transmisja została przerwana"};
constexpr Cp1250Literal kNoMemory{u8"Błąd obsługi portu szeregowego: brak zasobów"};
constexpr Cp1250Literal kUnknown{u8"Nieokreślony błąd #"};

constexpr const char* kTexts[] = {
    kNoError.c_str(),  kParam.c_str(),   kNoPort.c_str(),   kNotOpen.c_str(),
    kConflict.c_str(), kTimeout.c_str(), kLink.c_str(),     kBreak.c_str(),
    kOverflow.c_str(), kAbort.c_str(),   kNoMemory.c_str(),
};
static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == 1 - TE_NOMEM);

}  // namespace

const char* SerialErrorText(int code) {
  return (code <= 0 && code >= TE_NOMEM) ? kTexts[-code] : kUnknown.c_str();
}

}  // namespace zelvane
