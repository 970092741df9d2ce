#include "model3d/modelinfo.h"

#include "app/common.h"
#include "app/numericinput.h"
#include "app/units.h"

#include <algorithm>

ModelInfoTexts MakeModelInfoTexts(const TModel &model, int unit, qint64 fileSize, const QLocale &locale)
{
    ModelInfoTexts texts;
    texts.source = model.fileName;
    texts.fileSize = FileSizeText(fileSize);
    texts.unitLabel = QStringLiteral(" [") + Units::unitName(unit) + QLatin1Char(']');

    const TModelBox &b = model.box;
    if (b.isEmpty())
        return texts;
    const double millimetres[9]
        = {b.maxX - b.minX, b.maxY - b.minY, b.maxZ - b.minZ, b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ};
    const NumericInput::DisplayFormat format {NumericInput::FloatFormat::Fixed, 7, UnitDecimals(unit)};
    for (int i = 0; i < 9; ++i) {
        QString text = NumericInput::formatValue(Units::MmToUnit(unit, millimetres[i]), format, locale);
        // A small negative value that rounds to zero reads "0.0", not "-0.0".
        const bool allZero
            = std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
        if (text.startsWith(u'-') && allZero)
            text.remove(0, 1);
        texts.values[size_t(i)] = text + QLatin1Char(' ');
    }
    return texts;
}
