#include "job/independentstart.h"

#include "app/common.h"
#include "drawing/figure.h"
#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace job {
namespace {

const QString kSection = QStringLiteral("Independent_start_dialog");
const QString kCrLf = QStringLiteral("\r\n");

// Thousandths of a mm: the extremes are whole hundredths, the reference
// corner whole 25 thousandths, the positions whole hundredths, so every
// comparison of the fit is exact.
long long thousandths(long double mm)
{
    return static_cast<long long>(RoundHalfEven(mm * 1000));
}

long double toHundredths(long double mm)
{
    return RoundHalfEven(mm * 100) / 100;
}

// A length of the messages: mm, or inches when the display unit is inch or
// foot.
QString lengthText(double mm, int unit)
{
    if (unit == 1 || unit == 2)
        return FixedText(mm / 25.4, 2) + QStringLiteral(" [inch]");
    return FixedText(mm, 2) + QStringLiteral(" [mm]");
}

JobMessage pairMessage(const QString &first, const QString &second, double x, double y, int unit,
                       const QString &last = {})
{
    JobMessage m;
    m.text = {TextPiece::text(kSection, first), TextPiece::raw(kCrLf), TextPiece::text(kSection, second),
              TextPiece::raw(kCrLf + QStringLiteral("x = ") + lengthText(x, unit) + kCrLf
                             + QStringLiteral("y = ") + lengthText(y, unit))};
    if (!last.isEmpty()) {
        m.text.push_back(TextPiece::raw(kCrLf));
        m.text.push_back(TextPiece::text(kSection, last));
    }
    return m;
}

} // namespace

std::optional<QString> CheckIndependentInputs(const IndependentInputs &in, double fcWidth)
{
    if (!(in.materialWidth > 0))
        return QStringLiteral("PodajSzerMat");
    if (thousandths(in.materialWidth) > thousandths(in.armSpacing))
        return QStringLiteral("MaterialZaSzeroki");
    if (thousandths(static_cast<long double>(in.frontDistance) + in.materialWidth) > thousandths(fcWidth))
        return QStringLiteral("MaterialPozaMaszyna");
    return std::nullopt;
}

ProjectedPaths ProjectProfiles(const std::vector<JobPoint> &front, const std::vector<JobPoint> &back,
                               const IndependentInputs &in)
{
    ProjectedPaths paths;
    const std::size_t count = std::min(front.size(), back.size());
    paths.front.reserve(count);
    paths.back.reserve(count);
    const long double az = in.frontDistance;
    const long double depth = in.materialWidth; // b.z - a.z
    long double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const long double ax = UnitsToMm(front[k].x), ay = UnitsToMm(front[k].y);
        const long double dx = UnitsToMm(back[k].x) - ax, dy = UnitsToMm(back[k].y) - ay;
        // The wire's line through a and b, extended to z = 0 and z = spacing.
        const long double t0 = az / depth;
        const long double t1 = (az - in.armSpacing) / depth;
        const long double p0x = ax - dx * t0, p0y = ay - dy * t0;
        const long double p1x = ax - dx * t1, p1y = ay - dy * t1;
        paths.front.push_back({MmToUnits(static_cast<double>(p0x)), MmToUnits(static_cast<double>(p0y))});
        paths.back.push_back({MmToUnits(static_cast<double>(p1x)), MmToUnits(static_cast<double>(p1y))});
        if (k == 0) {
            minX = maxX = p0x;
            minY = maxY = p0y;
        }
        minX = std::min({minX, p0x, p1x});
        maxX = std::max({maxX, p0x, p1x});
        minY = std::min({minY, p0y, p1y});
        maxY = std::max({maxY, p0y, p1y});
    }
    paths.minX = static_cast<double>(toHundredths(minX));
    paths.maxX = static_cast<double>(toHundredths(maxX));
    paths.minY = static_cast<double>(toHundredths(minY));
    paths.maxY = static_cast<double>(toHundredths(maxY));
    return paths;
}

PathFit CheckProjectedPaths(const ProjectedPaths &paths, const IndependentStartContext &c)
{
    PathFit fit;
    const long double width = static_cast<long double>(paths.maxX) - paths.minX;
    const long double height = static_cast<long double>(paths.maxY) - paths.minY;
    if (thousandths(width) > 1000LL * c.limitX || thousandths(height) > 1000LL * c.limitY) {
        fit.kind = PathFit::Kind::TooLarge;
        fit.message = pairMessage(QStringLiteral("ruchRamionPozaObszRob"), QStringLiteral("WyliczonaSzerFig"),
                                  static_cast<double>(width), static_cast<double>(height), c.lengthUnit);
        return fit;
    }
    // Everything in thousandths of a mm; positions come in hundredths.
    const long long rx = 25LL * c.referenceCorner.x, ry = 25LL * c.referenceCorner.y;
    const long long minX = thousandths(paths.minX), maxX = thousandths(paths.maxX);
    const long long minY = thousandths(paths.minY), maxY = thousandths(paths.maxY);
    const long long lowX = 10LL * std::min(c.x1, c.x2), highX = 10LL * std::max(c.x1, c.x2);
    const long long lowY = 10LL * std::min(c.y1, c.y2), highY = 10LL * std::max(c.y1, c.y2);
    if (lowX + minX - rx >= 0 && 1000LL * c.limitX >= highX + maxX - rx && lowY + minY - ry >= 0
        && 1000LL * c.limitY >= highY + maxY - ry)
        return fit;

    // Far enough from the origin for the leftmost and lowest points.
    fit.kind = PathFit::Kind::Outside;
    fit.moveX = std::abs(std::trunc(paths.minX - UnitsToMm(c.referenceCorner.x))) + 1;
    fit.moveY = std::abs(std::trunc(paths.minY - UnitsToMm(c.referenceCorner.y))) + 1;
    fit.message
        = pairMessage(QStringLiteral("CiecieNiemozliweRamionaPozaObsz"), QStringLiteral("MinLewaPozMat"),
                      fit.moveX, fit.moveY, c.lengthUnit, QStringLiteral("CzyPrzesunacDrut"));
    return fit;
}

IndependentStartForm::IndependentStartForm(IndependentStartContext context)
    : m_context(std::move(context))
{ }

IndependentInputs IndependentStartForm::initialInputs() const
{
    IndependentInputs in;
    in.armSpacing = m_context.armSpacing;
    if (m_context.materialWidth >= 0)
        in.materialWidth = m_context.materialWidth;
    if (m_context.frontDistance >= 0)
        in.frontDistance = m_context.frontDistance;
    in.materialWidth = std::min(in.materialWidth, materialMaximum());
    in.frontDistance = std::min(in.frontDistance, materialMaximum());
    return in;
}

IndependentStartForm::Outcome IndependentStartForm::confirm(const IndependentInputs &in)
{
    m_answer.armSpacing = in.armSpacing;
    if (const std::optional<QString> key = CheckIndependentInputs(in, m_context.fcWidth))
        return {Step::Stay, {JobMessage::Kind::Error, {}, {TextPiece::text(kSection, *key)}}};
    m_answer.materialWidth = in.materialWidth;
    m_answer.frontDistance = in.frontDistance;

    ProjectedPaths paths = ProjectProfiles(m_context.front, m_context.back, in);
    m_lastFit = CheckProjectedPaths(paths, m_context);
    switch (m_lastFit.kind) {
    case PathFit::Kind::TooLarge:
        return {Step::Stay, m_lastFit.message};
    case PathFit::Kind::Outside:
        return {Step::AskMove, m_lastFit.message};
    case PathFit::Kind::Fits:
        break;
    }
    m_answer.kind = IndependentStartAnswer::Kind::Start;
    m_answer.frontPath = std::move(paths.front);
    m_answer.backPath = std::move(paths.back);
    return {Step::Close, {}};
}

void IndependentStartForm::acceptMove()
{
    m_answer.kind = IndependentStartAnswer::Kind::MoveWire;
    m_answer.moveX = m_lastFit.moveX;
    m_answer.moveY = m_lastFit.moveY;
}

} // namespace job
