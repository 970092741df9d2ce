#include "job/barcodesheet.h"

#include "app/language.h"
#include "job/barcode.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace {

const QString Section = QStringLiteral("Barcode_sets");

// Sans fonts stand in for the sheet's "Arial CE": any of them has the
// Central European letters.
QFont SheetFont(double points, bool bold)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Lays text out top to bottom in millimetres, converted to device pixels.
class SheetWriter
{
public:
    SheetWriter(QPainter &painter, double pixelsPerMm, double left, double right)
        : m_painter(painter)
        , m_mm(pixelsPerMm)
        , m_left(left)
        , m_right(right)
    { }

    double px(double mm) const { return mm * m_mm; }

    void moveTo(double yMm) { m_y = yMm; }
    void skip(double mm) { m_y += mm; }
    double y() const { return m_y; }

    void line(const QString &text, const QFont &font, double advanceMm)
    {
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        const double width = px(m_right - m_left);
        const QString shown = metrics.elidedText(text, Qt::ElideMiddle, width);
        m_painter.drawText(QPointF(px(m_left), px(m_y) + metrics.ascent()), shown);
        m_y += advanceMm;
    }

private:
    QPainter &m_painter;
    double m_mm;
    double m_left;
    double m_right;
    double m_y = 0;
};

bool IsGuardModule(int i)
{
    return i <= 3 || (i >= 46 && i <= 50) || i >= 93;
}

// The human-readable digits under the bars, as the EAN-13 standard places
// them: the first left of the start guard, six under each half.
void DrawDigits(QPainter &painter, const QString &code, const QRectF &bars, double module)
{
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double baseline = bars.bottom() + metrics.ascent();
    auto centred = [&](QChar digit, double centreX) {
        painter.drawText(QPointF(centreX - metrics.horizontalAdvance(digit) / 2, baseline), QString(digit));
    };
    centred(code[0], bars.left() - 4 * module);
    for (int i = 1; i <= 6; ++i)
        centred(code[i], bars.left() + (3 + 7 * (i - 1) + 3.5) * module);
    for (int i = 7; i <= 12; ++i)
        centred(code[i], bars.left() + (50 + 7 * (i - 7) + 3.5) * module);
}

} // namespace

TBarcodeSheet BarcodeSheetFor(const QString &code, const std::array<QString, 5> &summary,
                              const std::array<QString, 4> &userLines, const QString &configFileName,
                              const QStringList &projects)
{
    TBarcodeSheet sheet;
    sheet.pKodKreskowy = code;
    sheet.pTryb = summary[0];
    sheet.pSzybkosc = summary[1];
    sheet.pMoc = summary[2];
    sheet.pCzasRozgrz = summary[3];
    sheet.pPauza = summary[4];
    sheet.pEtykieta = userLines;
    if (projects.size() > 4)
        sheet.pIloscProjektow = QStringLiteral("Wyświetlane są tylko 4 z ") + QString::number(projects.size())
            + QStringLiteral(" projektów");
    sheet.configFileName = configFileName;
    sheet.projects = projects.mid(0, 4);
    return sheet;
}

TSheetLayout PaintBarcodeSheet(QPainter &painter, const TBarcodeSheet &sheet)
{
    const QPaintDevice *device = painter.device();
    const double pixelsPerMm = device->widthMM() > 0 ? double(device->width()) / device->widthMM() : 1.0;
    const double pageWidthMm = device->widthMM();
    constexpr double Margin = 15.0;
    SheetWriter writer(painter, pixelsPerMm, Margin, pageWidthMm - Margin);
    auto text = [](const char *key) { return GetText(Section, QString::fromLatin1(key)); };
    const QFont heading = SheetFont(16, true);
    const QFont bold = SheetFont(12, true);
    const QFont normal = SheetFont(11, false);

    painter.save();
    painter.setPen(Qt::black);
    writer.moveTo(Margin);
    writer.line(text("arkuszTytul"), heading, 12);

    // Half a millimetre per module: 47.5 mm of bars, well inside what any
    // scanner reads.
    TSheetLayout layout;
    layout.module = writer.px(0.5);
    const double barsTopMm = writer.y() + 2;
    constexpr double BarHeightMm = 25.0;
    constexpr double GuardExtraMm = 2.5;
    layout.bars
        = QRectF(writer.px(Margin + 5), writer.px(barsTopMm), 95 * layout.module, writer.px(BarHeightMm));
    const QString pattern = Ean13Pattern(sheet.pKodKreskowy);
    for (int i = 1; i <= pattern.size(); ++i) {
        if (pattern[i - 1] != u'1')
            continue;
        const double height = writer.px(BarHeightMm + (IsGuardModule(i) ? GuardExtraMm : 0));
        painter.fillRect(
            QRectF(layout.bars.left() + (i - 1) * layout.module, layout.bars.top(), layout.module, height),
            Qt::black);
    }
    if (!pattern.isEmpty()) {
        painter.setFont(normal);
        DrawDigits(painter, sheet.pKodKreskowy, layout.bars, layout.module);
    }
    writer.moveTo(barsTopMm + BarHeightMm + 12);

    writer.line(text("arkuszKonfiguracja"), bold, 7);
    writer.line(sheet.configFileName, normal, 7);
    for (const QString &line : {sheet.pTryb, sheet.pSzybkosc, sheet.pMoc, sheet.pCzasRozgrz, sheet.pPauza})
        writer.line(line, normal, 6);
    writer.skip(6);
    writer.line(text("arkuszEtykieta"), bold, 7);
    for (const QString &line : sheet.pEtykieta)
        writer.line(line, normal, 6);
    writer.skip(6);
    writer.line(text("arkuszProjekty"), bold, 7);
    for (const QString &project : sheet.projects)
        writer.line(project, normal, 6);
    if (!sheet.pIloscProjektow.isEmpty())
        writer.line(sheet.pIloscProjektow, normal, 6);
    painter.restore();
    return layout;
}

QImage BarcodePreview(const QString &pattern)
{
    QImage image(120, 100, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 0));
    QPainter painter(&image);
    painter.fillRect(QRect(2, 2, image.width() - 4, image.height() - 4), Qt::white);
    painter.setPen(Qt::black);
    for (int i = 1; i <= pattern.size(); ++i) {
        if (pattern[i - 1] == u'1')
            painter.drawLine(11 + i, 11, 11 + i, IsGuardModule(i) ? 85 : 80);
    }
    return image;
}
