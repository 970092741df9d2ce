#include "job/jobadapters.h"

#include "app/commandline.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/settings.h"

#include <utility>

namespace job {

JobSettings jobSettingsFrom(const Settings &s)
{
    JobSettings j;
    j.mode = s.Mode;
    j.rotaryAxis = s.StolikSwitch;
    j.catDir = s.CatDir;
    j.anglePerPass = s.rgKatObrotu;
    j.crossToPoint = s.cbKrzyzToPunkt == CheckState::Checked;
    j.stopX = s.feuZderzakX;
    j.stopY = s.feuZderzakY;
    j.scale = s.skala;
    j.spindleX = s.Xwrzeciona;
    j.spindleY = s.Ywrzeciona;
    j.tableX = s.Xstolika;
    j.tableY = s.Ystolika;
    j.toolX = s.Xnarzedzia;
    j.toolY = s.Ynarzedzia;
    j.materialDiameter = s.Srednicamaterialu;
    j.travelSpeed = s.PrzeSpeed;
    j.workSpeed = s.szybkoscObrobki;
    j.workPower = s.work_power;
    j.warmUpTime = s.CzasRozgrzewania;
    j.cornerPause = s.Pauza_w_kacie;
    j.powerOutput = s.PowerOutput;
    j.lengthUnit = s.radiounit;
    return j;
}

bool testModeFrom(const CommandLine &commandLine)
{
    return !commandLine.params().isEmpty() && commandLine.params().first() == QLatin1String("test");
}

QString resolveText(const std::vector<TextPiece> &pieces)
{
    QString text;
    for (const TextPiece &piece : pieces)
        text += piece.key.isEmpty() ? piece.literal : GetText(piece.section, piece.key);
    return text;
}

void ShowJobMessage(const JobMessage &message)
{
    ShowMsg(resolveText(message.text), message.kind == JobMessage::Kind::Error, resolveText(message.caption));
}

bool AskYesCancel(const JobMessage &message)
{
    return ConfirmDlg(resolveText(message.text), DlgButton::Yes | DlgButton::Cancel) == DlgButton::Yes;
}

MessageBoxPrompts::MessageBoxPrompts(std::function<void(bool)> setBusy, std::function<void(int)> showPassCounter)
    : m_setBusy(std::move(setBusy))
    , m_showPassCounter(std::move(showPassCounter))
{
}

void MessageBoxPrompts::show(const JobMessage &message)
{
    // A box never waits behind an hourglass.
    setBusy(false);
    ShowJobMessage(message);
}

BrokenWireAnswer MessageBoxPrompts::askBrokenWire()
{
    setBusy(false);
    switch (ConfirmDlg(GetText(QStringLiteral("Control"), QStringLiteral("zerwanyDrut")),
                       DlgButton::Ok | DlgButton::Cancel | DlgButton::Retry)) {
    case DlgButton::Cancel:
    case DlgButton::None:
        return BrokenWireAnswer::Cancel;
    case DlgButton::Retry:
        return BrokenWireAnswer::Retry;
    default:
        return BrokenWireAnswer::Ok;
    }
}

void MessageBoxPrompts::setBusy(bool busy)
{
    if (m_setBusy)
        m_setBusy(busy);
}

void MessageBoxPrompts::showPassCounter(int count)
{
    if (m_showPassCounter)
        m_showPassCounter(count);
}

} // namespace job
