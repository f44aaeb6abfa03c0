#pragma once
// ShellExecute: documents and folders open in the desktop's default application, programs
// start on their own, "print" hands a document to the print system. Names go through the path
// mapper; a bare program name is also looked up on the PATH (without a Windows extension, so
// "xterm.exe" finds xterm). Headless runs launch nothing: they log on standard error what would
// have been opened and answer success, so batch runs of desktop programs carry on.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace vorlan::stdlib {

// Results: above 32 is success, the rest are the platform's error numbers.
constexpr std::int32_t kShellSuccess = 42;
constexpr std::int32_t kShellFileNotFound = 2;
constexpr std::int32_t kShellPathNotFound = 3;
constexpr std::int32_t kShellAccessDenied = 5;
constexpr std::int32_t kShellNoAssociation = 31;

// What opening and starting do on the desktop (tests substitute a recorder).
class ShellLauncher {
public:
    virtual ~ShellLauncher() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& directory) = 0;
    virtual bool printFile(const QString& file) = 0;
};

// Installs a launcher and answers the previous one.
std::unique_ptr<ShellLauncher> setShellLauncher(std::unique_ptr<ShellLauncher> launcher);
// Where headless runs log what they did not open (standard error unless set).
void setShellLog(std::ostream* log);

// Operation "", "open", "edit", "explore" or "print"; texts in Windows-1250.
std::int32_t shellExecute(const std::string& operation, const std::string& fileName,
                          const std::string& parameters, const std::string& directory);

} // namespace vorlan::stdlib
