#pragma once

#include <QString>

// Whether a machine's two-character family code is the given family.
// Families are named in capitals, but controllers report some of them in
// lower case ("bn45"): every comparison ignores case.
inline bool IsFamily(const QString &familyCode, QLatin1StringView family)
{
    return familyCode.compare(family, Qt::CaseInsensitive) == 0;
}

// Whether each wire end has X and Y drives of its own ("Vq", "Q7", "Zf"
// and the LJ family): those home both ends by name. On every other machine
// one drive per axis carries both ends, so homing X (or Y) brings both
// ends home.
inline bool HasSeparateEndDrives(const QString &machineName)
{
    return machineName.startsWith(QLatin1String("Vq")) || machineName.startsWith(QLatin1String("Q7"))
        || machineName.startsWith(QLatin1String("Zf")) || IsFamily(machineName.left(2), QLatin1String("LJ"));
}
