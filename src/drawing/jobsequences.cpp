// The closing of each job type and the composite sequences of the job:
// the two-arm parking, the cut-off after a serial cut, the hold after a
// layer, the exit after a rotary pass, the cross-point plunge and the retreat
// to the safe zone.

#include "app/machinefamily.h"
#include "drawing/jobbytes.h"
#include "drawing/jobwriter.h"

#include <algorithm>

namespace {

bool isChecked(CheckState state)
{
    return state == CheckState::Checked;
}

} // namespace

void TJobWriter::writeClosing()
{
    const int type = m_start.jobType;
    switch (type) {
    case TJobType::TurningSpindle:
    case TJobType::TurningTable:
        sync();
        heatingOff();
        break;
    case TJobType::RotarySpindle:
    case TJobType::Flat:
    case TJobType::RotaryTable:
        if (IsFamily(m_machine.familyCode, QLatin1String("Q7")) && type == TJobType::Flat
            && isChecked(m_settings.MoveAfter) && m_settings.Mode != 5)
            writeQ7Parking();
        sync();
        heatingOff();
        if (isChecked(m_settings.cbKrzyzToPunkt) && isChecked(m_settings.cbAutomOdjazdDoBezpStrefy))
            WriteEndMoves();
        break;
    case TJobType::SerialTable:
        if (m_start.PassNumber == m_start.windowCount && m_start.CutOffAtEnd)
            writeCutOff();
        sync();
        heatingOff();
        break;
    default:
        break;
    }
}

void TJobWriter::writeQ7Parking()
{
    // Positions as the machine reported them before the job was written.
    const double x1 = m_machine.X1 / 100.0;
    const double y1 = m_machine.Y1 / 100.0;
    const double y2 = m_machine.Y2 / 100.0;
    const double limitY = m_machine.limitY;
    if (FrontArm) {
        sync();
        speedMode(1);
        writeMove(-x1, 0, 0, 0);
        sync();
        speedMode(0);
        writeMove(-x1, 0, limitY - y1, 0);
        sync();
        setting(4, 5);
        if (m_machine.Y2 < 0)
            writeMove(-x1, 0, limitY - y1, 10);
        sync();
        speedMode(1);
        writeMove(-x1, 0, limitY - y1, m_start.FrontStartY - y2);
    }
    if (BackArm) {
        sync();
        speedMode(1);
        writeMove(0, 0, 0, -10);
        setting(4, 0);
        sync();
        speedMode(0);
        writeMove(0, 0, m_start.FrontStartY - y1, -10);
        sync();
        speedMode(1);
        writeMove(m_start.FrontStartX - x1, 0, m_start.FrontStartY - y1, -10);
    }
    if (m_effects)
        m_effects->showManualPanel();
}

void TJobWriter::writeCutOff()
{
    // The last pass of a serial cut on the table cuts the model off the block.
    const long double halfWidth
        = static_cast<long double>(m_start.ProjectWidth) * m_settings.skala / 100.0L / 2.0L;
    const double h = UnitsToMm(RoundToInt32(halfWidth));
    double d = std::max(m_settings.Srednicamaterialu / 2.0, h) + h;
    if (m_start.PassNumber % 2 != 0)
        d = -d;
    writeMove(d, d, 0, 0);
}

void TJobWriter::WriteHoldCommands()
{
    if (!isChecked(m_settings.Wstrzymaj))
        return;
    sync();
    heatingOff();
    sync();
    setting(3, 0);
    m_carry->HeatUpPending = true;
}

void TJobWriter::WriteRotaryExit()
{
    WritePause(RoundToInt64(m_settings.Pauza_w_kacie));
    writeMove(currentX1(), currentX2(), m_start.StartEdgeY, m_start.StartEdgeY);
    sync();
    speedMode(0);
}

void TJobWriter::WriteRevolution(double depth1, double depth2, double angle)
{
    sync();
    speedMode(0);
    sync();
    writeMove(currentX1(), currentX2(), currentY1(), currentY2(), 0, 0, depth1);
    sync();
    speedMode(1);
    sync();
    writeMove(currentX1(), currentX2(), currentY1(), currentY2(), 0, 0, depth1 + depth2);
    sync();
    writeSpeed(1, m_settings.feuVobrotowa);
    sync();
    speedMode(1);
    sync();
    RotateTo(0, angle / 360.0);
    sync();
    speedMode(0);
    sync();
    sync();
    writeMove(currentX1(), currentX2(), currentY1(), currentY2(), 0, 0, 0);
    sync();
}

void TJobWriter::WriteCrossPoint(const tfigura &figure, TPlotPoint origin, double depth1, double depth2)
{
    if (figure.points.empty())
        return;
    speedMode(0);
    const TPlotPoint first = figure.points.front();
    MoveArmsScaled(ClampToInt32(static_cast<std::int64_t>(first.x) - origin.x),
                   ClampToInt32(static_cast<std::int64_t>(first.y) - origin.y), true, true);
    WriteRevolution(depth1, depth2, m_settings.feKatObrotu);
}

void TJobWriter::WriteEndMoves()
{
    if (m_effects)
        m_effects->queryStatus();
    sync();
    speedMode(0);
    sync();
    sync();
    writeMove(currentX1(), currentX2(), currentY1(), currentY2(), 0, 0, 0);
    sync();
    sync();
    const double x = m_machine.limitX - m_start.ZderzakX;
    const double y = m_machine.limitY - m_start.ZderzakY;
    writeMove(x, x, y, y);
}
