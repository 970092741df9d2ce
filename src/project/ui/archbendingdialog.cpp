#include "project/ui/archbendingdialog.h"

#include "app/language.h"
#include "app/messages.h"
#include "app/ui/numericedit.h"
#include "app/ui/widgetroutines.h"
#include "app/units.h"
#include "project/archbending.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QString Text(const char *key)
{
    return GetText(QStringLiteral("Arch_cutting"), QString::fromLatin1(key));
}

} // namespace

TfZaginacz::TfZaginacz(TMDIChild &source, TProjectWindowHost &host, QWidget *parent)
    : QDialog(parent)
    , m_source(source)
    , m_host(host)
{
    setObjectName(QStringLiteral("fZaginacz"));
    auto *layout = new QVBoxLayout(this);
    auto label = [this](const char *name) {
        auto *created = new QLabel(this);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };

    auto *depthRow = new QHBoxLayout;
    m_depth = new TFltEditU(this);
    m_depth->setObjectName(QStringLiteral("feuGlebokoscNaciec"));
    m_depth->setRange(0, 9999);
    m_depth->setIncrement(100);
    m_depth->setDisplayFormat({NumericInput::FloatFormat::Fixed, 8, 1});
    m_depth->setDigitsPerUnit(1, 2, 3);
    QLabel *depthLabel = label("lSzerMat");
    depthLabel->setBuddy(m_depth);
    depthRow->addWidget(depthLabel, 1);
    depthRow->addWidget(m_depth);
    depthRow->addWidget(label("lGlebokoscNaciecJm"));
    layout->addLayout(depthRow);

    layout->addWidget(label("labReductionRatio"));
    auto *ratioRow = new QHBoxLayout;
    m_ratio = new QSlider(Qt::Horizontal, this);
    m_ratio->setObjectName(QStringLiteral("trbReductionRatio"));
    m_ratio->setRange(1, 20);
    m_ratio->setValue(1);
    m_ratio->setTickPosition(QSlider::TicksBelow);
    m_ratio->setTickInterval(1);
    m_ratio->setPageStep(1);
    ratioRow->addWidget(label("labReductionSmall"));
    ratioRow->addWidget(m_ratio, 1);
    ratioRow->addWidget(label("labReductionBig"));
    layout->addLayout(ratioRow);

    auto *generate = new QPushButton(this);
    generate->setObjectName(QStringLiteral("btnGeneruj"));
    auto *cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("btnAnuluj"));
    layout->addLayout(DialogButtonRow(*this, generate, cancel));
    connect(generate, &QPushButton::clicked, this, &TfZaginacz::btnGenerujClick);

    Translate();
    m_depth->setUnit(Units::currentLengthUnit());
    findChild<QLabel *>(QStringLiteral("lGlebokoscNaciecJm"))
        ->setText(Units::unitLabel(Units::currentLengthUnit()));
    m_depth->setFocus();
}

void TfZaginacz::Translate()
{
    setWindowTitle(Text("caption"));
    findChild<QLabel *>(QStringLiteral("lSzerMat"))->setText(Text("lSzerMat.caption"));
    findChild<QLabel *>(QStringLiteral("labReductionRatio"))->setText(Text("labReductionRatio.caption"));
    findChild<QLabel *>(QStringLiteral("labReductionSmall"))->setText(Text("labReductionSmall.caption"));
    findChild<QLabel *>(QStringLiteral("labReductionBig"))->setText(Text("labReductionBig.caption"));
    findChild<QPushButton *>(QStringLiteral("btnGeneruj"))->setText(Text("btnGeneruj.caption"));
    findChild<QPushButton *>(QStringLiteral("btnAnuluj"))
        ->setText(GetText(QStringLiteral("Configuration"), QStringLiteral("cancel.caption")));
}

void TfZaginacz::btnGenerujClick()
{
    m_depth->commitText();
    std::optional<TBentProject> bent
        = BuildBentProject(m_source.document(), double(m_depth->Value()), m_ratio->value());
    if (!bent) {
        m_depth->setFocus();
        return;
    }
    // One strip per dialog: a new generation replaces the window of the last.
    if (TMDIChild *previous = m_host.window(m_generated))
        previous->close();
    const QString sourceCaption = m_source.caption();
    m_generated = m_host.CreateGeneratedProject(sourceCaption + QStringLiteral(" : ") + Text("caption"),
                                                m_source.document().ReaderKind, std::move(bent->document));
    TMDIChild *generated = m_host.window(m_generated);
    if (generated == nullptr)
        return;
    if (!bent->overlap) {
        generated->showMaximized();
        accept();
        return;
    }
    generated->setWindowTitle(QStringLiteral("!!! ") + Text("blednyPrzebieg") + QStringLiteral(" !!!  ")
                              + sourceCaption);
    generated->showNormal();
    generated->setGeometry(m_source.geometry());
    ShowMsg(Text("bledneParametryDlaKrzywej") + QStringLiteral("\n\n") + Text("zmienParametry")
                + QStringLiteral(" '") + Text("lSzerMat.caption") + QStringLiteral("' "),
            true, Text("caption") + QStringLiteral(" : ") + Text("blednyPrzebieg"));
    m_depth->setFocus();
}

void ShowProfileBenderDialog(TMDIChild &source, TProjectWindowHost &host, QWidget *parent)
{
    TfZaginacz dialog(source, host, parent);
    dialog.exec();
}
