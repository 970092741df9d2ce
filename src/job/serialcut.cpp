#include "job/serialcut.h"

#include "app/numericinput.h"

namespace job {
namespace {
const QString kSection = QStringLiteral("Serial_cut");
}

QString DefaultSerialAngleText(int windowCount)
{
    return QString::number(180.0 / (windowCount > 0 ? windowCount : 1), 'g', 15);
}

SerialAngles ReadSerialAngles(const std::vector<QString> &cells)
{
    SerialAngles result;
    // Every row is read before any angle is taken: a refusal leaves the
    // windows' angles as they were.
    for (std::size_t row = 0; row < cells.size(); ++row) {
        const std::optional<long double> angle = NumericInput::parseValue(cells[row]);
        if (!angle || *angle < -360 || *angle > 360) {
            result.angles.clear();
            result.badRow = static_cast<int>(row) + 1;
            return result;
        }
        result.angles.push_back(static_cast<double>(*angle));
    }
    return result;
}

bool SerialRepetitionsFit(double tableY, std::int32_t repetitions, double shift, const QString &machineName)
{
    const long double lowest = machineName == QLatin1String("R 45") ? 239.0L : 5.0L;
    return static_cast<long double>(tableY) - static_cast<long double>(repetitions) * shift >= lowest;
}

JobMessage BadAngleMessage(int row)
{
    return {JobMessage::Kind::Error,
            {},
            {TextPiece::text(kSection, QStringLiteral("poprawKat")), TextPiece::raw(QString::number(row))}};
}

JobMessage TooManyRepetitionsMessage()
{
    return {JobMessage::Kind::Error, {}, {TextPiece::text(kSection, QStringLiteral("poprawIloscPowtorzen"))}};
}

} // namespace job
