#include "pgsql/client_library.h"

#include "core/cp1250.h"
#include "pgsql/connection.h"

#include <dlfcn.h>

namespace vorlan::pgsql {

namespace {

// The name the client library has carried on every release that speaks the current protocol.
constexpr const char* kLibraryName = "libpq.so.5";

[[noreturn]] void refuse(const std::string& file, const char* why) {
    throw ServerError(czech("Klientskou knihovnu PostgreSQL (") + file +
                          czech(") nelze načíst, tabulky na serveru nejsou dostupné: ") +
                          (why ? why : "") + czech(". Nainstalujte balíček libpq5."),
                      true);
}

template <class F> void resolve(void* handle, const std::string& file, F& to, const char* name) {
    void* symbol = dlsym(handle, name);
    if (!symbol) refuse(file, dlerror());
    to = reinterpret_cast<F>(symbol);
}

} // namespace

ClientLibrary ClientLibrary::load(const std::string& file) {
    // The handle stays open for the life of the process: results and connections hold its code.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) refuse(file, dlerror());
    ClientLibrary l;
    resolve(handle, file, l.connectdb, "PQconnectdb");
    resolve(handle, file, l.status, "PQstatus");
    resolve(handle, file, l.finish, "PQfinish");
    resolve(handle, file, l.reset, "PQreset");
    resolve(handle, file, l.errorMessage, "PQerrorMessage");
    resolve(handle, file, l.prepare, "PQprepare");
    resolve(handle, file, l.execPrepared, "PQexecPrepared");
    resolve(handle, file, l.exec, "PQexec");
    resolve(handle, file, l.resultStatus, "PQresultStatus");
    resolve(handle, file, l.resultErrorMessage, "PQresultErrorMessage");
    resolve(handle, file, l.resultErrorField, "PQresultErrorField");
    resolve(handle, file, l.clear, "PQclear");
    resolve(handle, file, l.ntuples, "PQntuples");
    resolve(handle, file, l.nfields, "PQnfields");
    resolve(handle, file, l.getisnull, "PQgetisnull");
    resolve(handle, file, l.getvalue, "PQgetvalue");
    resolve(handle, file, l.getlength, "PQgetlength");
    resolve(handle, file, l.putCopyData, "PQputCopyData");
    resolve(handle, file, l.putCopyEnd, "PQputCopyEnd");
    resolve(handle, file, l.getResult, "PQgetResult");
    resolve(handle, file, l.consumeInput, "PQconsumeInput");
    resolve(handle, file, l.notifies, "PQnotifies");
    resolve(handle, file, l.freemem, "PQfreemem");
    return l;
}

const ClientLibrary& clientLibrary() {
    // An initialisation that throws is tried again by the next call.
    static const ClientLibrary library = ClientLibrary::load(kLibraryName);
    return library;
}

} // namespace vorlan::pgsql
