#pragma once

#include <QString>

// Whether a machine's two-character family code is the given family.
// Families are named in capitals, but controllers report some of them in
// lower case ("bn45"): every comparison ignores case.
inline bool IsFamily(const QString &familyCode, QLatin1StringView family)
{
    return familyCode.compare(family, Qt::CaseInsensitive) == 0;
}
