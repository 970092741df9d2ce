#include "app/ui/widgetroutines.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>

#include <gtest/gtest.h>

TEST(WidgetRoutines, MeasureTextPadsWithTwoBlanksEachSideAndCaps)
{
    QFont font;
    const QFontMetrics metrics(font);
    const int padded = metrics.horizontalAdvance(QStringLiteral("  Serial number  "));
    EXPECT_EQ(MeasureText("Serial number", 0, font), padded);
    EXPECT_GT(padded, metrics.horizontalAdvance(QStringLiteral("Serial number")));
    EXPECT_EQ(MeasureText("Serial number", 10, font), 10);
    EXPECT_EQ(MeasureText("Serial number", padded + 50, font), padded);
}

TEST(WidgetRoutines, AutoSizeGridColumnsWidensButNeverNarrows)
{
    QTableWidget grid(2, 3);
    grid.horizontalHeader()->setMinimumSectionSize(1);
    grid.setItem(1, 0, new QTableWidgetItem(QStringLiteral("a rather long barcode set name")));
    grid.setItem(1, 1, new QTableWidgetItem(QStringLiteral("x")));
    grid.setItem(1, 2, new QTableWidgetItem(QStringLiteral("a rather long barcode set name")));
    grid.setColumnWidth(0, 5);
    grid.setColumnWidth(1, 400);
    grid.setColumnWidth(2, 5);

    AutoSizeGridColumns(grid, 0, 1, 1);
    EXPECT_EQ(grid.columnWidth(0), MeasureText("a rather long barcode set name", 0, grid.font()));
    EXPECT_EQ(grid.columnWidth(1), 400);
    EXPECT_EQ(grid.columnWidth(2), 5); // outside the range
}
