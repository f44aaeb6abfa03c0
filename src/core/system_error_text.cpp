#include "core/system_error_text.h"

#include "core/cp1250.h"

#include <cerrno>

namespace vorlan {

std::string systemErrorText(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return czech("soubor neexistuje");
    case ENOTDIR:
        return czech("cesta nebyla nalezena");
    case EACCES:
    case EPERM:
        return czech("přístup odepřen");
    case EROFS:
        return czech("systém souborů je jen pro čtení");
    case EISDIR:
        return czech("je to složka");
    case ENOSPC:
        return czech("na disku není místo");
    case EDQUOT:
        return czech("překročena disková kvóta");
    case EMFILE:
    case ENFILE:
        return czech("příliš mnoho otevřených souborů");
    case EAGAIN:
        return czech("soubor je zamčen jiným procesem");
    case EIO:
        return czech("chyba vstupu a výstupu");
    case ENAMETOOLONG:
        return czech("příliš dlouhé jméno");
    case EBUSY:
    case ETXTBSY:
        return czech("soubor se používá");
    default:
        return czech("systémová chyba ") + std::to_string(errorNumber);
    }
}

} // namespace vorlan
