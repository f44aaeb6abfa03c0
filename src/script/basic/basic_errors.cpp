#include "script/basic/basic_interp.h"

#include "core/cp1250.h"

namespace vorlan::script::basic {

void raise(std::int32_t number, std::string description) {
    BasicError e;
    e.number = number;
    e.description = description.empty() ? errorText(number) : std::move(description);
    throw e;
}

std::string errorText(std::int32_t number) {
    switch (number) {
    case 5:
        return czech("Neplatné volání procedury nebo argument");
    case 6:
        return czech("Přetečení");
    case 7:
        return czech("Nedostatek paměti");
    case 9:
        return czech("Index je mimo rozsah");
    case 10:
        return czech("Pole je pevné nebo dočasně zamčené");
    case 11:
        return czech("Dělení nulou");
    case 13:
        return czech("Nesouhlasí typ");
    case 28:
        return czech("Nedostatek místa v zásobníku");
    case 35:
        return czech("Sub nebo Function není definována");
    case 91:
        return czech("Objektová proměnná není nastavena");
    case 92:
        return czech("Cyklus For není inicializován");
    case 424:
        return czech("Je vyžadován objekt");
    case 429:
        return czech("Třída není definována");
    case 438:
        return czech("Objekt nepodporuje tuto vlastnost nebo metodu");
    case 450:
        return czech("Chybný počet argumentů nebo neplatné přiřazení vlastnosti");
    case 451:
        return czech("Objekt není kolekce");
    case 500:
        return czech("Proměnná není definována");
    case 501:
        return czech("Neplatné přiřazení");
    default:
        return czech("Neznámá chyba za běhu");
    }
}

} // namespace vorlan::script::basic
