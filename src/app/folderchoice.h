#pragma once

#include <QString>

// The folder dialog's decisions, kept apart from its widgets.

// The nine characters no folder name may hold, in the order the message
// lists them.
QString ForbiddenFolderNameCharacters();

// A new folder's name: not empty, none of the nine characters, and not made
// only of dots and blanks ("." and ".." name folders that exist already, and
// a name of blanks cannot be told from no name).
bool IsValidFolderName(const QString &name);

// "msgNiepoprawnaNazwaFolderu", the name, and "msgZnakiNiedozwolone" with the
// nine characters.
QString InvalidFolderNameText(const QString &name);

enum class TNewFolderResult { Created, Exists, Failed };

// Creates <parent>/<name>; an existing folder (or file) of that name is
// reported, not reused. `path` receives the new folder's path.
TNewFolderResult CreateNewFolder(const QString &parent, const QString &name, QString &path);

// The message for an outcome other than Created: "folderJuzIstnieje" or
// "bladTworzeniaFolderu" with the path.
QString NewFolderFailureText(TNewFolderResult result, const QString &path);
