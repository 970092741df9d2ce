#include "job/perpendicularstart.h"

#include "drawing/jobbytes.h"
#include "job/startchecks.h"

namespace job {
namespace {

// Thousandths of a mm: the fields hold two decimals of mm, inch or foot and
// the scaled margins whole plotter units, all exact here.
long long thousandths(double mm)
{
    return static_cast<long long>(RoundHalfEven(static_cast<long double>(mm) * 1000));
}

bool fits(double x, double y, const StartMargins &margins, double scale, long long limitX, long long limitY)
{
    const long long fx = thousandths(x), fy = thousandths(y);
    return limitX >= fx + scaledThousandths(margins.right, scale)
        && limitY >= fy + scaledThousandths(margins.top, scale)
        && fx >= scaledThousandths(margins.left, scale) && fy >= scaledThousandths(margins.bottom, scale);
}

PerpendicularRefusal refusal(bool front, const QString &key)
{
    return {front,
            {JobMessage::Kind::Error,
             {},
             {TextPiece::text(QStringLiteral("Main_window"), QStringLiteral("projektPozaObszaremMaszyny")),
              TextPiece::raw(QStringLiteral("\r\n")),
              TextPiece::text(QStringLiteral("Perpendicular_start_dialog"), key)}}};
}

} // namespace

std::optional<PerpendicularRefusal> CheckPerpendicularStart(const PerpendicularStart &p,
                                                            const PerpendicularStartContext &c)
{
    if (!fits(p.frontX, p.frontY, c.front, c.scale, 1000LL * c.limitX, 1000LL * c.limitY))
        return refusal(true, QStringLiteral("ZmienPktStartFrontu"));
    if (!fits(p.sideX, p.sideY, c.side, c.scale, 1000LL * c.limitZ, 1000LL * (c.limitY - 10LL)))
        return refusal(false, QStringLiteral("ZmienPktStartBocznego"));
    return std::nullopt;
}

bool SideWireGoesFirst(const PerpendicularStart &p)
{
    return thousandths(p.sideY) + 10000 >= thousandths(p.frontY);
}

} // namespace job
