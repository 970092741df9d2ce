#pragma once

#include "app/aboutbox.h"

#include <QString>
#include <QStringList>

#include <functional>

// The support-request page: an HTML form filled with what the program knows
// about itself, the open projects and the machine, which the user completes
// and sends from the browser. The program itself sends nothing.

struct TSupportRequest
{
    QString softwareVersion; // SupportSoftwareVersion
    QString operatingSystem;
    // The machine configuration file, then each project window's file.
    QStringList attachedFiles;
    TMachineReport machine; // as last reported while the link is connected
    int unit = 0; // display length unit
    QString decimalPoint = QStringLiteral(".");
    QString formAction; // the deployment's support endpoint
};

// Version with release and build, then the executable's date in brackets.
QString SupportSoftwareVersion(const QString &executableDate);

// The whole page, lines ending in CR LF. Every value is HTML-escaped, so no
// path or machine string can break the page or run in it.
QString MakeSupportRequest(const TSupportRequest &request);

// Writes the page whole to `path` and opens it with `open` (the desktop's
// browser). A page that cannot be written shows "bladZapisuPliku" with the
// path and the reason, and gives false; when no browser starts, the path of
// the written page is shown.
bool WriteSupportRequest(const TSupportRequest &request, const QString &path,
                         const std::function<bool(const QString &)> &open);
