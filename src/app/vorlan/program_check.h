#pragma once
// A program archive checked without running any of it: what its modules name that this runtime
// does not have (routines, classes, variables, constants, units, members of objects whose class
// the check can tell),
// the classes of its stored forms the runtime cannot make, report templates its string literals
// name that do not lie beside the archive, and, for information, such tables (a program may
// make them itself) and stored form properties that the runtime reads but does not use. Needs every
// unit registered, as for a run.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace vorlan::app {

enum class FindingKind {
    CompileError, // the module does not compile at all
    Name,         // a routine, class, variable or constant the runtime does not have
    Member,       // a property or method a known class or object does not have
    Unit,         // a unit of a uses list that is neither standard nor a module of the program
    FormClass,    // a stored component of a class the runtime cannot make
    Template,     // a report template named by a string literal, not beside the archive
    Table,        // a table or index named by a string literal, not beside the archive (listed:
                  // programs make their tables on their first run)
    Property,     // a stored form property the runtime ignores (only listed)
    Unchecked,    // a name of a Basic or JavaScript module nothing could be checked for (listed)
};

struct Finding {
    FindingKind kind = FindingKind::Name;
    std::string module; // the module's file name in the archive (UTF-8)
    int line = 0;       // from 1; 0 when the finding has no place in the source
    int column = 0;     // from 1
    std::string name;   // UTF-8
    std::string detail; // UTF-8; the compiler's message of a compile error, a member's class
};

// Whether a finding means that the program will not run as written (the others are listed only).
bool isMissing(const Finding& finding);

struct CheckReport {
    std::vector<Finding> findings;
    int missingCount() const;
};

// Throws std::runtime_error (with a Czech message) when the archive cannot be read.
CheckReport checkProgramArchive(const std::filesystem::path& archive);

// One finding per line in Czech, then a summary line; or one JSON object.
void printCheckReport(const CheckReport& report, bool json, std::ostream& out);

// `vorlan --kontrola ARCHIV [--json]`: 0 when nothing is missing, 1 otherwise or on failure.
int runProgramCheck(const std::string& archiveUtf8, bool json, std::ostream& out,
                    std::ostream& err);

} // namespace vorlan::app
