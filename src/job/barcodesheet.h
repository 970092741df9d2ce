#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <array>

class QPainter;

// What the A4 information sheet of a barcode set shows: its parameters by
// the names the sheet has always used, and the first four projects.
struct TBarcodeSheet
{
    QString pKodKreskowy;
    QString pTryb;
    QString pSzybkosc;
    QString pMoc;
    QString pCzasRozgrz;
    QString pPauza;
    std::array<QString, 4> pEtykieta;
    // Empty, or the note that only four of the projects are listed.
    QString pIloscProjektow;
    QString configFileName;
    QStringList projects; // at most four

    bool operator==(const TBarcodeSheet &) const = default;
};

TBarcodeSheet BarcodeSheetFor(const QString &code, const std::array<QString, 5> &summary,
                              const std::array<QString, 4> &userLines, const QString &configFileName,
                              const QStringList &projects);

// Where the bars went, in the painter's device pixels.
struct TSheetLayout
{
    QRectF bars; // the 95 modules, as high as the data bars (the guards reach lower)
    double module = 0; // width of one module
};

// Paints the sheet on the painter's device (a printer's A4 page, a PDF, an
// image), laid out in millimetres from the device's size.
TSheetLayout PaintBarcodeSheet(QPainter &painter, const TBarcodeSheet &sheet);

// The browser's preview: a green frame, white inside, and for each "1"
// module i (from 1) a black line at x = 11 + i from y = 11 to 80, the guard
// modules to 85. A blank frame for an empty pattern.
QImage BarcodePreview(const QString &pattern);
