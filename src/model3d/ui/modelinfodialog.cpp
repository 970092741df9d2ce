#include "model3d/ui/modelinfodialog.h"

#include "app/language.h"
#include "app/units.h"
#include "model3d/modelinfo.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("ModelInfo");

// Values in the order of ModelInfoTexts::values, with the unit label beside each.
const char *const kValueNames[9][2] = {
    {"pSzerokoscX", "lSzerokoscXJm"},
    {"pDlugoscY", "lDlugoscYJm"},
    {"pWysokoscZ", "lWysokoscZJm"},
    {"pXmin", "lXminJm"},
    {"pXmax", "lXmaxJm"},
    {"pYmin", "lYminJm"},
    {"pYmax", "lYmaxJm"},
    {"pZmin", "lZminJm"},
    {"pZmax", "lZmaxJm"},
};

} // namespace

TfModelInfo::TfModelInfo(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fModelInfo"));
    auto *layout = new QVBoxLayout(this);

    auto *extents = new QGridLayout;
    layout->addLayout(extents);
    extents->addWidget(addLabel(QStringLiteral("lZrodlo"), false), 0, 0);
    QLabel *source = addLabel(QStringLiteral("pZrodlo"), true);
    source->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    extents->addWidget(source, 0, 1, 1, 2);
    extents->addWidget(addLabel(QStringLiteral("lRozmiarPliku"), false), 0, 3);
    const char *const extentCaptions[3] = {"lSzerokoscX", "lDlugoscY", "lWysokoscZ"};
    for (int row = 0; row < 3; ++row) {
        extents->addWidget(addLabel(QString::fromLatin1(extentCaptions[row]), false), row + 1, 0);
        extents->addWidget(addLabel(QString::fromLatin1(kValueNames[row][0]), true), row + 1, 1);
        extents->addWidget(addLabel(QString::fromLatin1(kValueNames[row][1]), false), row + 1, 2);
    }
    extents->setColumnStretch(1, 1);

    auto *boxGroup = new QGroupBox(this);
    boxGroup->setObjectName(QStringLiteral("gbObszar"));
    auto *box = new QGridLayout(boxGroup);
    box->addWidget(addLabel(QStringLiteral("lMin"), false), 0, 1, 1, 2, Qt::AlignHCenter);
    box->addWidget(addLabel(QStringLiteral("lMax"), false), 0, 3, 1, 2, Qt::AlignHCenter);
    const QString axes[3] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
    for (int row = 0; row < 3; ++row) {
        box->addWidget(new QLabel(axes[row], boxGroup), row + 1, 0);
        for (int column = 0; column < 2; ++column) {
            const auto &names = kValueNames[3 + 2 * row + column];
            box->addWidget(addLabel(QString::fromLatin1(names[0]), true), row + 1, 1 + 2 * column);
            box->addWidget(addLabel(QString::fromLatin1(names[1]), false), row + 1, 2 + 2 * column);
        }
    }
    box->setColumnStretch(1, 1);
    box->setColumnStretch(3, 1);
    layout->addWidget(boxGroup);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    translate();
}

QLabel *TfModelInfo::addLabel(const QString &name, bool panel)
{
    auto *label = new QLabel(this);
    label->setObjectName(name);
    if (panel) {
        // The values read like the numeric fields: sunken, right-aligned, wide enough for
        // "-99999.999 ".
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-99999.999  ")));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    return label;
}

void TfModelInfo::translate()
{
    setWindowTitle(GetText(kSection, QStringLiteral("caption")));
    for (const char *name : {"lZrodlo", "lSzerokoscX", "lDlugoscY", "lWysokoscZ", "lMin", "lMax"}) {
        const QString objectName = QString::fromLatin1(name);
        findChild<QLabel *>(objectName)->setText(GetText(kSection, objectName + QStringLiteral(".Caption")));
    }
    findChild<QGroupBox *>(QStringLiteral("gbObszar"))
        ->setTitle(GetText(kSection, QStringLiteral("gbObszar.Caption")));
    findChild<QPushButton *>(QStringLiteral("btnOK"))
        ->setText(GetText(kSection, QStringLiteral("btnOK.Caption")));
}

void TfModelInfo::setModel(const TModel &model)
{
    m_model = model;
    const ModelInfoTexts texts = MakeModelInfoTexts(m_model, Units::currentLengthUnit(),
                                                    QFileInfo(m_model.fileName).size(), locale());
    findChild<QLabel *>(QStringLiteral("pZrodlo"))->setText(texts.source);
    findChild<QLabel *>(QStringLiteral("lRozmiarPliku"))->setText(texts.fileSize);
    for (int i = 0; i < 9; ++i) {
        findChild<QLabel *>(QString::fromLatin1(kValueNames[i][0]))->setText(texts.values[std::size_t(i)]);
        findChild<QLabel *>(QString::fromLatin1(kValueNames[i][1]))->setText(texts.unitLabel);
    }
}

void ShowModelInfo(int x, int y, const TModel &model, QWidget *parent)
{
    TfModelInfo window(parent);
    window.setModel(model);
    window.move(x, y);
    window.exec();
}
