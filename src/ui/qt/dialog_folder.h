#pragma once
// Where the runtime's file dialogs open when nobody names a folder.

#include <QString>

namespace vorlan::qt {

// The folder the runtime works in (the running program's own: the runtime moves there to run
// it), unless that is the runtime's installation folder or the root of the file system, where
// users keep nothing of theirs: then the user's home.
QString defaultDialogFolder();

} // namespace vorlan::qt
