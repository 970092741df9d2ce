#pragma once

#include <QString>

// Putting a new file or folder in the place of an old one in one step of the
// file system, so that a program killed at any moment leaves the old one or
// the whole new one under the name, never neither nor a part.

// Renames `from` over `to` (rename(2)): `to` is replaced when it exists.
// Both must lie on one file system. False with the system's reason.
bool ReplaceFile(const QString &from, const QString &to, QString *reason = nullptr);

// Swaps the names of two folders of one file system at once
// (renameat2 with RENAME_EXCHANGE). False where the file system cannot.
bool ExchangeFolders(const QString &a, const QString &b, QString *reason = nullptr);

// A second name for a file (link(2)); false where the file system has no links.
bool LinkFile(const QString &existing, const QString &newName);
