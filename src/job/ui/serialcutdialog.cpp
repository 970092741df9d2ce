#include "job/ui/serialcutdialog.h"

#include "app/ui/numericedit.h"
#include "app/ui/widgetroutines.h"
#include "app/units.h"
#include "drawing/jobbytes.h"
#include "job/jobadapters.h"
#include "job/serialcut.h"
#include "job/ui/dialogfields.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace job {
namespace {
const QString kSection = QStringLiteral("Serial_cut");
const QString kButtons = QStringLiteral("Duplication_parameters");
} // namespace

SerialCutDialog::SerialCutDialog(SerialCutContext context, QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
{
    setObjectName(QStringLiteral("fDlgSeryjne"));
    setWindowTitle(Text(kSection, "fDlgSeryjne.caption"));
    setMinimumSize(415, 218);

    const int rows = static_cast<int>(m_context.captions.size());
    m_grid = new QTableWidget(rows, 2, this);
    m_grid->setObjectName(QStringLiteral("sgKatyObrotu"));
    m_grid->setHorizontalHeaderLabels({Text(kSection, "plik"), Text(kSection, "kat")});
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setColumnWidth(0, 200);
    m_grid->setColumnWidth(1, 50);
    // A drawing's path shows as its file name; a generated pass's name whole.
    for (int row = 0; row < rows; ++row) {
        auto *file
            = new QTableWidgetItem(QFileInfo(m_context.captions[static_cast<std::size_t>(row)]).fileName());
        file->setFlags(file->flags() & ~Qt::ItemIsEditable);
        m_grid->setItem(row, 0, file);
        m_grid->setItem(row, 1, new QTableWidgetItem);
    }
    setDefaultAngles();
    for (int row = 0; row < rows; ++row)
        AutoSizeGridColumns(*m_grid, 0, 1, row);
    // The column titles are texts too: no column narrower than its title.
    for (int column = 0; column < m_grid->columnCount(); ++column)
        m_grid->setColumnWidth(
            column,
            std::max(m_grid->columnWidth(column), m_grid->horizontalHeader()->sectionSizeHint(column)));
    m_grid->installEventFilter(this);

    m_repetitionsLabel = new QLabel(Text(kSection, "lIloscPowtorzenSer.caption"), this);
    m_repetitionsLabel->setObjectName(QStringLiteral("lIloscPowtorzenSer"));
    m_repetitions = new TFltEdit(this);
    m_repetitions->setObjectName(QStringLiteral("felloscPowtorzenSer"));
    m_repetitions->setRange(0, 999999);
    m_repetitions->setIncrement(1);
    m_repetitions->setValue(0);
    auto *times = new QLabel(Text(kSection, "lIloscPowtorzenSerRazy.caption"), this);
    times->setObjectName(QStringLiteral("lIloscPowtorzenSerRazy"));

    m_shiftLabel = new QLabel(Text(kSection, "lPrzesuniecie.caption"), this);
    m_shiftLabel->setObjectName(QStringLiteral("lPrzesuniecie"));
    m_shift = NewLengthField(this, "feuY_Przesuniecie", Units::currentLengthUnit(), 0, 9999999, 0);
    m_shift->setIncrement(1);
    m_shiftUnit = new QLabel(this);
    m_shiftUnit->setObjectName(QStringLiteral("lPrzesuniecieJm"));
    for (QWidget *field : {static_cast<QWidget *>(m_repetitions), static_cast<QWidget *>(m_shift)})
        field->installEventFilter(this);

    auto *fields = new QGridLayout;
    fields->addWidget(m_repetitionsLabel, 0, 0);
    fields->addWidget(m_repetitions, 0, 1);
    fields->addWidget(times, 0, 2);
    fields->addWidget(m_shiftLabel, 1, 0);
    fields->addWidget(m_shift, 1, 1);
    fields->addWidget(m_shiftUnit, 1, 2);

    QPushButton *confirmButton = NewButton(this, "btnZatwierdz", kButtons, "btnZatwierdz.Caption");
    QPushButton *cancel = NewButton(this, "btnAnuluj", kButtons, "btnAnuluj.Caption");
    QPushButton *defaults = NewButton(this, "btnParDomyslne", kButtons, "btnParDomyslne.Caption");
    connect(confirmButton, &QPushButton::clicked, this, &SerialCutDialog::confirm);
    connect(defaults, &QPushButton::clicked, this, &SerialCutDialog::setDefaultAngles);
    QHBoxLayout *buttons = DialogButtonRow(*this, confirmButton, cancel, {defaults});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

void SerialCutDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The length unit may have changed since the dialog was made.
    m_shift->setUnit(Units::currentLengthUnit());
    m_shiftUnit->setText(Units::unitLabel(Units::currentLengthUnit()));
}

void SerialCutDialog::setDefaultAngles()
{
    const QString angle = DefaultSerialAngleText(m_grid->rowCount());
    for (int row = 0; row < m_grid->rowCount(); ++row)
        m_grid->item(row, 1)->setText(angle);
}

bool SerialCutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter walks down the angles instead of closing the dialog.
            const int row = m_grid->currentRow();
            if (row + 1 < m_grid->rowCount())
                m_grid->setCurrentCell(row + 1, 1);
            return true;
        }
    }
    // The field being typed in shows its label in bold.
    const bool focusIn = event->type() == QEvent::FocusIn;
    if (focusIn || event->type() == QEvent::FocusOut) {
        QLabel *label = watched == m_repetitions ? m_repetitionsLabel
            : watched == m_shift                 ? m_shiftLabel
                                                 : nullptr;
        if (label) {
            QFont font = label->font();
            font.setBold(focusIn);
            label->setFont(font);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SerialCutDialog::confirm()
{
    std::vector<QString> cells;
    for (int row = 0; row < m_grid->rowCount(); ++row)
        cells.push_back(m_grid->item(row, 1)->text());
    SerialAngles angles = ReadSerialAngles(cells);
    if (angles.badRow > 0) {
        m_grid->setCurrentCell(angles.badRow - 1, 1);
        ShowJobMessage(BadAngleMessage(angles.badRow));
        return;
    }
    m_repetitions->commitText();
    m_shift->commitText();
    const std::int32_t repetitions = RoundToInt32(m_repetitions->Value());
    const double shift = static_cast<double>(m_shift->Value());
    if (!SerialRepetitionsFit(m_context.tableY, repetitions, shift, m_context.machineName)) {
        ShowJobMessage(TooManyRepetitionsMessage());
        m_repetitions->setFocus();
        return;
    }
    m_choice = {std::move(angles.angles), repetitions, shift};
    accept();
}

} // namespace job
