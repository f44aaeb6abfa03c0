#include "script/dispatch.h"

#include "core/cp1250.h"

namespace vorlan::script {

std::string dispatchStatusMessage(DispStatus status, std::string_view name) {
    switch (status) {
    case DispStatus::UnknownInterface:
        return czech("Neznámé rozhraní");
    case DispStatus::MemberNotFound:
        return czech("Vlastnost neexistuje, nebo je určena pouze ke čtení");
    case DispStatus::ParamNotFound:
        return "Parametr nebyl nalezen";
    case DispStatus::TypeMismatch:
        return czech("Nesouhlasný typ parametrů");
    case DispStatus::NoNamedArgs:
        return czech("Jméno argumentu není podporováno");
    case DispStatus::BadVarType:
        return czech("Jeden z parametrů není typu variant");
    case DispStatus::Overflow:
    case DispStatus::BadParamCount:
        return czech("Chybný počet parametrů");
    case DispStatus::ParamNotOptional:
        return czech("Není zadán vyžadovaný parametr");
    case DispStatus::RunnerUnknownName:
        return czech("Neznámý identifikátor: <") + std::string(name) + ">";
    default:
        return czech("Neznámý identifikátor:");
    }
}

DispStatus invokeByName(Dispatch& target, std::string_view name, unsigned flags,
                        std::span<Value> args, Value& result, ExceptionInfo& error) {
    const DispId id = target.idOfName(name);
    if (id == kUnknownDispId) return DispStatus::UnknownName;
    return target.invoke(id, flags, args, result, error);
}

} // namespace vorlan::script
