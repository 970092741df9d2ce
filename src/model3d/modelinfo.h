#pragma once

// The texts of the model information window, worked out without a window.

#include "model3d/model.h"

#include <QLocale>
#include <QString>

#include <array>

struct ModelInfoTexts
{
    QString source; // the model's file
    QString fileSize; // "1023b", "1KB", "1MB"
    // x, y and z extent, then minimum and maximum x, y and z, in the unit, each followed by
    // one blank; empty for a model without triangles.
    std::array<QString, 9> values;
    QString unitLabel; // " [mm]"
};

// The record's lengths in millimetres shown in the length unit (0 mm, 1 inch, 2 foot) with
// that unit's decimals and the locale's decimal point.
ModelInfoTexts MakeModelInfoTexts(const TModel &model, int unit, qint64 fileSize, const QLocale &locale);
