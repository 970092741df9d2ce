#include "project/duplication.h"

#include "app/common.h"
#include "app/inifile.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/units.h"
#include "drawing/jobbytes.h"

#include <algorithm>
#include <cstdlib>

namespace {

const QString Section = QStringLiteral("Duplication_parameters");
const QString KeyColumns = QStringLiteral("Number of elements in a row");
const QString KeyRows = QStringLiteral("Number of rows");
const QString KeyElementSpacing = QStringLiteral("Space between the elements");
const QString KeyRowSpacing = QStringLiteral("Space between the rows");
const QString KeyVerticalLine = QStringLiteral("Space between the elements and the vertical connecting line");
const QString KeyHorizontalLine
    = QStringLiteral("Space between the elements and the horizontal connecting line");

// A generated project larger than this would take gigabytes to hold and plan.
constexpr long double MaxCopiedFigures = 1'000'000;
constexpr long double MaxCopiedPoints = 20'000'000;

QString Text(const char *key)
{
    return GetText(Section, QString::fromLatin1(key));
}

QString SizeText(double mm, int unit)
{
    return FixedText(double(Units::MmToUnit(unit, mm)), 2);
}

int RoundedCount(double count)
{
    return int(std::clamp<std::int64_t>(RoundToInt64(count), -1, 1'000'000));
}

// The copies and their connecting line stay inside the coordinates a
// drawing may hold, so no sum of a copy's offset and a point wraps around.
bool FitsCoordinates(const TDuplicationLayout &l, const TProjectDocument &source)
{
    const long double margin = std::abs(l.offset) + std::abs(l.stepX) + std::abs(l.stepY)
        + std::abs(l.verticalLine) + std::abs(l.horizontalLine) + (long double)source.ProjectWidth
        + source.ProjectHeight + 40;
    const long double spanX = (long double)(l.columns - 1) * l.stepX;
    const long double spanY = (long double)(l.rows - 1) * l.stepY;
    const long double limit = MaxPlotCoordinate;
    return source.PP.x + std::min(0.0L, spanX) - margin >= -limit
        && source.PK.x + std::max(0.0L, spanX) + margin <= limit
        && source.PP.y + std::min(0.0L, spanY) - margin >= -limit
        && source.PK.y + std::max(0.0L, spanY) + margin <= limit;
}

bool FitsMemory(const TDuplicationLayout &l, const TProjectDocument &source)
{
    long double points = 0;
    for (const tfigura &f : source.Figures)
        points += f.points.size();
    const long double copies = (long double)l.columns * l.rows;
    return copies * source.Figures.size() <= MaxCopiedFigures && copies * points <= MaxCopiedPoints;
}

} // namespace

void SetDefaults(TDuplicationParams &params, TDuplicationSource source)
{
    params.elementSpacing = source.widthMm + 10;
    params.rowSpacing = source.heightMm + 10;
    params.verticalLine = (params.elementSpacing - source.widthMm) / 2;
    params.horizontalLine = (params.rowSpacing - source.heightMm) / 2;
}

TDuplicationSource SourceSizeOf(const TProjectDocument &source)
{
    return {UnitsToMm(source.ProjectWidth), UnitsToMm(source.ProjectHeight)};
}

QString DuplicationParameterFile(const QString &sourceCaption)
{
    // The extension is what follows the last dot of the file name, not of a
    // folder's name.
    const qsizetype slash = sourceCaption.lastIndexOf(u'/');
    const qsizetype dot = sourceCaption.lastIndexOf(u'.');
    const QString base = dot > slash ? sourceCaption.left(dot) : sourceCaption;
    return base + QStringLiteral(".dpl");
}

bool LoadDuplicationParameters(const QString &fileName, TDuplicationSource source, TDuplicationParams &params)
{
    const TIniFile ini(fileName);
    if (!ini.sectionExists(Section))
        return false;
    params.copiesPerRow = ini.readInteger(Section, KeyColumns, 2);
    params.rows = ini.readInteger(Section, KeyRows, 1);
    params.elementSpacing = ini.readFloat(Section, KeyElementSpacing, source.widthMm + 10);
    params.rowSpacing = ini.readFloat(Section, KeyRowSpacing, source.heightMm + 10);
    params.verticalLine
        = ini.readFloat(Section, KeyVerticalLine, (params.elementSpacing - source.widthMm) / 2);
    params.horizontalLine
        = ini.readFloat(Section, KeyHorizontalLine, (params.rowSpacing - source.heightMm) / 2);
    return true;
}

ConfigFiles::FileResult SaveDuplicationParameters(const QString &fileName, const TDuplicationParams &params)
{
    TIniFile ini(fileName);
    ini.eraseSection(Section);
    ini.writeInteger(Section, KeyColumns, RoundedCount(params.copiesPerRow));
    ini.writeInteger(Section, KeyRows, RoundedCount(params.rows));
    ini.writeFloat(Section, KeyElementSpacing, params.elementSpacing);
    ini.writeFloat(Section, KeyRowSpacing, params.rowSpacing);
    ini.writeFloat(Section, KeyVerticalLine, params.verticalLine);
    ini.writeFloat(Section, KeyHorizontalLine, params.horizontalLine);
    return ini.save();
}

TDuplicationField CheckDuplicationParameters(const TDuplicationParams &params, const TProjectDocument &source,
                                             int unit)
{
    const TDuplicationSource size = SourceSizeOf(source);
    const QString unitName = Units::unitName(unit);
    // The counts are rounded when the copies are built: 0.4 copies is none.
    if (RoundedCount(params.copiesPerRow) <= 0) {
        ShowMsg(Text("BlednaIloscElem"), true);
        return TDuplicationField::CopiesPerRow;
    }
    if (RoundedCount(params.rows) <= 0) {
        ShowMsg(Text("BlednaIloscWierszy"), true);
        return TDuplicationField::Rows;
    }
    if (params.elementSpacing < size.widthMm) {
        const QString question = Text("ElNachodzaNaSiebie") + QStringLiteral("\n")
            + Text("SzerokoscPojedynElem") + QStringLiteral(": ") + SizeText(size.widthMm, unit)
            + QLatin1Char(' ') + unitName + QStringLiteral("\n\n") + Text("CzyAkceptujesz");
        if (ConfirmDlg(question, DlgButton::Yes | DlgButton::Cancel) != DlgButton::Yes)
            return TDuplicationField::ElementSpacing;
    }
    if (params.rowSpacing < size.heightMm) {
        ShowMsg(Text("BlednePrzesMdzyWier") + QStringLiteral("\nmin: ") + SizeText(size.heightMm, unit)
                    + QLatin1Char(' ') + unitName,
                true);
        return TDuplicationField::RowSpacing;
    }
    if (!(params.verticalLine < params.elementSpacing - size.widthMm)) {
        ShowMsg(Text("OdlLacznikaPionZaDuza"), true);
        return TDuplicationField::VerticalLine;
    }
    if (!(params.horizontalLine < params.rowSpacing - size.heightMm)) {
        ShowMsg(Text("OdlLacznikaPoziomZaDuza"), true);
        return TDuplicationField::HorizontalLine;
    }
    const TDuplicationLayout layout = DuplicationLayout(params);
    if (!FitsCoordinates(layout, source) || !FitsMemory(layout, source)) {
        ShowMsg(GetText(QStringLiteral("Main_window"), QStringLiteral("projektZaDuzy")), true);
        return TDuplicationField::CopiesPerRow;
    }
    return TDuplicationField::None;
}

TDuplicationLayout DuplicationLayout(const TDuplicationParams &params)
{
    TDuplicationLayout layout;
    layout.columns = RoundedCount(params.copiesPerRow);
    layout.rows = RoundedCount(params.rows);
    layout.stepX = MmToUnits(params.elementSpacing);
    layout.stepY = MmToUnits(params.rowSpacing);
    layout.offset = MmToUnits(10 * params.elementSpacing / 100);
    // A line on the copies' edge would run along their cut.
    const auto distance = [](double mm) {
        const std::int32_t units = MmToUnits(mm);
        return units == 0 ? 1 : units;
    };
    layout.horizontalLine = distance(params.horizontalLine);
    layout.verticalLine = distance(params.verticalLine);
    return layout;
}

TProjectDocument BuildCopies(const TProjectDocument &source, const TDuplicationLayout &layout)
{
    TProjectDocument copies;
    copies.setSettings(source.settings());
    copies.ReaderKind = source.ReaderKind;
    copies.Figures.reserve(std::size_t(layout.rows) * layout.columns * source.Figures.size() + 1);
    for (int r = 0; r < layout.rows; ++r) {
        for (int c = 0; c < layout.columns; ++c) {
            const std::int32_t dx = layout.stepX * c;
            const std::int32_t dy = layout.stepY * r;
            for (const tfigura &f : source.Figures) {
                tfigura copy;
                copy.pen = f.pen;
                copy.penWidth = f.penWidth;
                copy.generatedKind = f.generatedKind;
                copy.crossPoint = f.crossPoint;
                copy.points.reserve(f.points.size());
                for (const TPlotPoint p : f.points)
                    copy.points.push_back({p.x + dx, p.y + dy});
                copies.AddFigure(std::move(copy));
            }
        }
    }
    copies.AddLacznik(BuildConnectingLine(copies, source, layout), true);
    copies.Ustaw_PPiPK();
    copies.ProjectWidth = copies.PK.x - copies.PP.x;
    copies.ProjectHeight = copies.PK.y - copies.PP.y;
    copies.MaxDepth = 0;
    copies.SelectedFigure = -1;
    return copies;
}

tfigura BuildConnectingLine(const TProjectDocument &copies, const TProjectDocument &source,
                            const TDuplicationLayout &l)
{
    const std::int32_t U = MmToUnits(1.0);
    const std::int32_t W = source.ProjectWidth;
    const std::int32_t dV = l.verticalLine;
    const std::int32_t dH = l.horizontalLine;
    const int C = l.columns;
    const int R = l.rows;
    const std::size_t n = source.Figures.size();
    const auto root = [&](int r, int c) -> const tfigura & {
        return copies.Figures[n * std::size_t(C * r + c) + std::size_t(source.RootFigure)];
    };
    const auto F = [&](int r, int c) { return root(r, c).points.front(); };

    tfigura line;
    // The steps name some points twice in a row (the start of a row after
    // the way to it); a zero-length segment would only make a false corner.
    const auto add = [&line](std::int32_t x, std::int32_t y) {
        const TPlotPoint p {x, y};
        if (line.points.empty() || !(line.points.back() == p))
            line.points.push_back(p);
    };
    const auto addPoint = [&add](TPlotPoint p) { add(p.x, p.y); };

    const TPlotPoint P1 {source.PP.x - dV - U, R % 2 == 1 ? source.PP.y - dV - U : source.PP.y - dV};
    addPoint(P1);
    add(P1.x, P1.y + l.stepY * (R - 1));
    addPoint(F(R - 1, 0));

    for (int r = R - 1; r >= 0; --r) {
        if ((R - 1 - r) % 2 == 0) {
            for (int c = 0; c < C; ++c) {
                if (r == 0 && c == C - 1)
                    break; // the end step leads on from the last copy
                const TPlotPoint Q = F(r, c);
                addPoint(Q);
                add(Q.x + l.offset, Q.y - dH);
                if (c < C - 1) {
                    add(Q.x + l.stepX - l.offset, Q.y - dH);
                    addPoint(F(r, c + 1));
                } else {
                    add(Q.x + W + dV, Q.y - dH);
                    add(Q.x + W + dV, Q.y - dH - l.stepY);
                    add(Q.x + l.offset, Q.y - dH - l.stepY);
                    addPoint(F(r - 1, C - 1));
                }
            }
        } else {
            for (int c = C - 1; c >= 0; --c) {
                const TPlotPoint Q = F(r, c);
                addPoint(Q);
                if (c >= 1) {
                    add(Q.x - l.offset, Q.y - dH);
                    add(Q.x - l.stepX + l.offset, Q.y - dH);
                    addPoint(F(r, c - 1));
                } else if (r > 0) {
                    const std::int32_t m = root(r, 0).minX;
                    add(m - dV, Q.y - dH);
                    add(m - dV, Q.y - dH - l.stepY);
                    addPoint(F(r - 1, 0));
                }
            }
        }
    }

    if (R % 2 == 1) {
        const TPlotPoint Q = F(0, C - 1);
        addPoint(Q);
        add(Q.x, Q.y - dH - U);
        add(F(0, 0).x - dV - U, Q.y - dH - U);
    } else {
        addPoint(F(0, 0));
        add(source.PP.x - dV - U, source.PP.y - dV);
    }
    return line;
}
