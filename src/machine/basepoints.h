#pragma once

#include "machine/ploter.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class Tster;

// A stored wire position (wire end 1), in millimetres.
struct BasePoint
{
    double x = 0;
    double y = 0;
};

// One line of the list and of "base.txt": "X=", X, "   Y=", Y, " " and the
// unit's name, each value in `unit` with 3 decimals and the locale's
// decimal separator, padded on the left with blanks to 9 characters. The
// unit makes the line mean the same place whatever the display unit is
// later. `x` and `y` are in 0.01 mm, as the controller reports them.
QString FormatBasePointLine(std::int32_t x, std::int32_t y, int unit, const QLocale &locale);
// The point of a line, in mm. The numbers may use "." or ","; a line
// without a unit (older files) is read in `currentUnit`. Nothing when the
// line does not read.
std::optional<BasePoint> ParseBasePointLine(QStringView line, int currentUnit);

// The base points dialog's logic (TPunkty_bazowe): the list of stored wire
// positions, kept whole in its file after every change. It never talks to
// the machine: the window reads the position and drives the wire through
// the machine session (ReadBasePointPosition, GoToBasePoint).
class TPunkty_bazowe
{
public:
    // Loads the file when it exists; `unit` is the display length unit.
    TPunkty_bazowe(QString path, int unit, QLocale locale = QLocale::system());

    const QStringList &lines() const { return m_lines; }
    int selected() const { return m_selected; }
    // `usun` and `ustaw` are enabled.
    bool actionsEnabled() const { return m_actionsEnabled; }
    // A message from loading (a file that exists but cannot be read).
    const std::optional<MachineMessage> &loadMessage() const { return m_loadMessage; }

    void listaClick(int index);
    // Appends the point where wire end 1 stands (0.01 mm) and selects it.
    // Every change is saved at once; the results are the save's message.
    std::optional<MachineMessage> DodajClick(std::int32_t x1, std::int32_t y1);
    std::optional<MachineMessage> usunClick();

    // The selected point to drive to, or the message of a line that does
    // not read (the list stays as it is). Neither with nothing selected.
    struct Target
    {
        std::optional<BasePoint> point;
        std::optional<MachineMessage> message;
    };
    Target ustawClick() const;

private:
    std::optional<MachineMessage> save() const;

    QString m_path;
    int m_unit;
    QLocale m_locale;
    QStringList m_lines;
    int m_selected = -1;
    bool m_actionsEnabled = false;
    std::optional<MachineMessage> m_loadMessage;
};

// Machine side (where the link runs).
// Where wire end 1 stands now, in 0.01 mm; nothing when the read failed.
std::optional<std::pair<std::int32_t, std::int32_t>> ReadBasePointPosition(Ploter &ploter);
// Drives both wire ends to the point: wire heating on, the heat-up time,
// then one move (speed mode 2, not waited for) with Z at 0 and the rotary
// axes where they stand. The point is kept within the travel. Refused with
// "nieMoznaPrzesuwac" while a job runs or the axes move, and with
// "ploterBrakLacznosci" when the machine does not answer.
bool GoToBasePoint(Tster &panel, Ploter &ploter, const BasePoint &point);
