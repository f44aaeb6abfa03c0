#pragma once
// The PostgreSQL client library, loaded with the first connection instead of linked into the
// runtime: most runs never open a server table, and a linked client library (with its TLS,
// Kerberos and LDAP libraries) made every start of the runtime pay for loading it.

#include <libpq-fe.h>

#include <string>

namespace vorlan::pgsql {

// The functions of the library that the connections use.
struct ClientLibrary {
    decltype(&PQconnectdb) connectdb = nullptr;
    decltype(&PQstatus) status = nullptr;
    decltype(&PQfinish) finish = nullptr;
    decltype(&PQreset) reset = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQprepare) prepare = nullptr;
    decltype(&PQexecPrepared) execPrepared = nullptr;
    decltype(&PQexec) exec = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorMessage) resultErrorMessage = nullptr;
    decltype(&PQresultErrorField) resultErrorField = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQntuples) ntuples = nullptr;
    decltype(&PQnfields) nfields = nullptr;
    decltype(&PQgetisnull) getisnull = nullptr;
    decltype(&PQgetvalue) getvalue = nullptr;
    decltype(&PQgetlength) getlength = nullptr;
    decltype(&PQputCopyData) putCopyData = nullptr;
    decltype(&PQputCopyEnd) putCopyEnd = nullptr;
    decltype(&PQgetResult) getResult = nullptr;
    decltype(&PQconsumeInput) consumeInput = nullptr;
    decltype(&PQnotifies) notifies = nullptr;
    decltype(&PQfreemem) freemem = nullptr;

    // Loads the library `file` (a name the dynamic loader looks up, or a path). Throws
    // ServerError with a Czech message when it cannot be loaded or lacks one of the functions.
    static ClientLibrary load(const std::string& file);
};

// The library of the process, loaded on the first call; a failed load is tried again next time.
const ClientLibrary& clientLibrary();

} // namespace vorlan::pgsql
