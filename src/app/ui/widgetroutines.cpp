#include "app/ui/widgetroutines.h"

#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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

QHBoxLayout *DialogButtonRow(QDialog &dialog, QPushButton *action, QPushButton *cancel,
                             std::initializer_list<QPushButton *> leading)
{
    auto *row = new QHBoxLayout;
    for (QPushButton *button : leading) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    row->addStretch(1);
    action->setDefault(true);
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    row->addWidget(action);
    row->addWidget(cancel);
    return row;
}

QLabel *NewValuePanel(QWidget *parent, const char *name)
{
    auto *panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return panel;
}
