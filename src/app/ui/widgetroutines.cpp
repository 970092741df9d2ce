#include "app/ui/widgetroutines.h"

#include <QFontMetrics>
#include <QTableWidget>

int MeasureText(const QString &text, int maximum, const QFont &font)
{
    const int width
        = QFontMetrics(font).horizontalAdvance(QStringLiteral("  ") + text + QStringLiteral("  "));
    return maximum > 0 && width > maximum ? maximum : width;
}

void AutoSizeGridColumns(QTableWidget &grid, int firstColumn, int lastColumn, int row)
{
    for (int column = firstColumn; column <= lastColumn && column < grid.columnCount(); ++column) {
        const QTableWidgetItem *cell = grid.item(row, column);
        const int wanted = MeasureText(cell ? cell->text() : QString(), 0, grid.font());
        if (grid.columnWidth(column) < wanted)
            grid.setColumnWidth(column, wanted);
    }
}
