#include "model3d/ui/genser.h"

#include "app/language.h"
#include "app/messages.h"
#include "app/ui/numericedit.h"
#include "drawing/jobbytes.h"
#include "model3d/ui/modelinfodialog.h"
#include "model3d/ui/rawview.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const QString kSection = QStringLiteral("SerialCutFrom3D");

QString Text(const char *key)
{
    return GetText(kSection, QString::fromLatin1(key));
}

} // namespace

TfGenSer::TfGenSer(TProjectWindowHost &projects, TGenSerHooks hooks, QWidget *parent)
    : QDialog(parent)
    , m_projects(projects)
    , m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("fGenSer"));
    buildControls();
    translate();
    m_generator
        = std::make_unique<TSerialCutGenerator>(static_cast<ISerialCutWindow &>(*this), m_hooks.context);
    connectControls();
    applyControls(m_generator->controls());
    resize(720, 600);
}

TfGenSer::~TfGenSer() = default;

void TfGenSer::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    auto *model = new QGroupBox(this);
    model->setObjectName(QStringLiteral("gbModel3D"));
    model->installEventFilter(this);
    auto *modelLayout = new QVBoxLayout(model);
    auto *fileRow = new QHBoxLayout;
    m_fileLabel = new QLabel(model);
    m_fileLabel->setObjectName(QStringLiteral("lPlik"));
    m_file = new QLineEdit(model);
    m_file->setObjectName(QStringLiteral("ePlik"));
    m_file->setReadOnly(true);
    m_file->installEventFilter(this);
    m_fileLabel->setBuddy(m_file);
    m_fileButton = new QPushButton(QStringLiteral("..."), model);
    m_fileButton->setObjectName(QStringLiteral("btnPlikRaw"));
    m_fileButton->installEventFilter(this);
    m_infoButton = new QPushButton(model);
    m_infoButton->setObjectName(QStringLiteral("btnModelInfo"));
    m_infoButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    fileRow->addWidget(m_fileLabel);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_fileButton);
    fileRow->addWidget(m_infoButton);
    modelLayout->addLayout(fileRow);

    m_view = new TRAWview(model);
    m_view->setObjectName(QStringLiteral("RAWview1"));
    TRAWviewProperties properties;
    properties.Model_KrokObrotu = 0.5;
    properties.Model_KrokPrzesuwu = 0.01;
    properties.Model_KrokSkali = 0.0001;
    properties.Model_KrokSkaliRolka = 0.08;
    properties.Model_Material = 1.0;
    properties.UkladWsp = true;
    properties.TrybPracy = TTrybPracy::tpPrzegladRAWtermSeryjne;
    properties.PanelColour = 0;
    m_view->setProperties(properties);
    m_view->setMinimumSize(320, 240);
    m_view->installEventFilter(this);
    modelLayout->addWidget(m_view, 1);
    layout->addWidget(model, 1);

    auto *stepsRow = new QHBoxLayout;
    m_stepsLabel = new QLabel(this);
    m_stepsLabel->setObjectName(QStringLiteral("lIloscObrotow"));
    m_steps = new TFltEdit(this);
    m_steps->setObjectName(QStringLiteral("feIloscObrotow"));
    m_steps->setRange(1, 180);
    m_steps->setIncrement(1);
    m_steps->setDisplayFormat({NumericInput::FloatFormat::Fixed, 3, 0});
    m_steps->setValue(18);
    m_steps->installEventFilter(this);
    m_stepsLabel->setBuddy(m_steps);
    stepsRow->addWidget(m_stepsLabel);
    stepsRow->addWidget(m_steps);
    stepsRow->addStretch(1);
    layout->addLayout(stepsRow);

    auto check = [this](const char *name, bool checked) {
        auto *box = new QCheckBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(checked);
        box->installEventFilter(this);
        return box;
    };
    m_cutOff = check("cbOdcinajPoZakonczeniu", true);
    m_closeWhenDone = check("cbZamkniOknoAut", true);
    m_keepClosed = check("cbZostawZamknieteFig", false);
    m_keepClosed->setStyleSheet(QStringLiteral("color: red"));
    m_keepClosed->setVisible(false);
    layout->addWidget(m_cutOff);
    layout->addWidget(m_closeWhenDone);
    layout->addWidget(m_keepClosed);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_generate = new QPushButton(this);
    m_generate->setObjectName(QStringLiteral("btnGeneruj"));
    m_generate->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("btnAnuluj"));
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_generate);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    // Three panels of 300 pixels; the progress bar takes the place of the first while steps run.
    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sb"));
    status->setSizeGripEnabled(false);
    auto *first = new QStackedWidget(status);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(status);
        m_panels[i]->setObjectName(QStringLiteral("sbPanel%1").arg(i));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setFixedWidth(300);
    }
    m_panels[2]->setMinimumWidth(0);
    m_panels[2]->setMaximumWidth(300);
    m_progress = new QProgressBar(first);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);
    first->addWidget(m_panels[0]);
    first->addWidget(m_progress);
    first->setFixedWidth(300);
    status->addWidget(first);
    status->addWidget(m_panels[1]);
    status->addWidget(m_panels[2], 1);
    layout->addWidget(status);
}

void TfGenSer::translate()
{
    QString caption = GetText(QStringLiteral("Main_window"), QStringLiteral("miGenSeryjnego3D.caption"));
    setWindowTitle(caption.remove(QLatin1Char('&')));
    findChild<QGroupBox *>(QStringLiteral("gbModel3D"))->setTitle(Text("gbModel3D.caption"));
    m_fileLabel->setText(GetText(QStringLiteral("Main_window"), QStringLiteral("File1.Caption")));
    m_fileButton->setToolTip(Text("btnPlikRaw.hint"));
    m_infoButton->setToolTip(Text("btnModelInfo.hint"));
    m_stepsLabel->setText(GetText(QStringLiteral("Configuration"), QStringLiteral("Labelilkrok.caption")));
    m_cutOff->setText(Text("cbOdcinajPoZakonczeniu.caption"));
    m_cutOff->setToolTip(Text("cbOdcinajPoZakonczeniu.hint"));
    m_closeWhenDone->setText(Text("cbZamkniOknoAut.caption"));
    m_keepClosed->setText(Text("cbZostawZamknieteFig.caption"));
    m_generate->setText(Text("btnGeneruj.caption"));
    m_cancel->setText(GetText(QStringLiteral("Configuration"), QStringLiteral("cancel.caption")));
    if (tInterfejs::instance().rightToLeft())
        setLayoutDirection(Qt::RightToLeft);
}

void TfGenSer::connectControls()
{
    TSerialCutGenerator *generator = m_generator.get();
    connect(m_fileButton, &QPushButton::clicked, generator, &TSerialCutGenerator::ChooseModelFile);
    connect(m_infoButton, &QPushButton::clicked, generator, &TSerialCutGenerator::btnModelInfoClick);
    connect(m_generate, &QPushButton::clicked, this, [this] {
        m_steps->commitText();
        m_generator->setStepCount(int(RoundHalfEven(m_steps->Value())));
        m_generator->btnGenerujClick();
    });
    connect(m_cancel, &QPushButton::clicked, generator, &TSerialCutGenerator::btnAnulujClick);
    auto option = [generator](QCheckBox *box, void (TSerialCutGenerator::*set)(bool)) {
        (generator->*set)(box->isChecked());
        connect(box, &QCheckBox::toggled, generator, set);
    };
    option(m_cutOff, &TSerialCutGenerator::setCutOffAtEnd);
    option(m_closeWhenDone, &TSerialCutGenerator::setCloseWhenDone);
    option(m_keepClosed, &TSerialCutGenerator::setKeepClosedContours);
    m_generator->setStepCount(int(RoundHalfEven(m_steps->Value())));

    auto *chooseKey = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(chooseKey, &QShortcut::activated, generator, &TSerialCutGenerator::ChooseModelFile);
    // The check box for keeping closed contours is for service use only.
    auto *serviceKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_F12), this);
    connect(serviceKey, &QShortcut::activated, this,
            [this] { m_keepClosed->setVisible(!m_keepClosed->isVisible()); });
}

QString TfGenSer::statusText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_panels[panel]->text() : QString();
}

void TfGenSer::reject()
{
    if (m_generator->canClose())
        QDialog::reject();
}

void TfGenSer::closeEvent(QCloseEvent *event)
{
    if (!m_generator->canClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfGenSer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_fileButton->setFocus();
}

void TfGenSer::setBold(QWidget *label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

bool TfGenSer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (watched == m_file || watched == m_view)
            m_generator->ChooseModelFile();
        else if (watched->objectName() == QStringLiteral("gbModel3D"))
            m_generator->btnModelInfoClick();
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // The control with the focus shows it by its bold label.
        const bool bold = event->type() == QEvent::FocusIn;
        if (watched == m_fileButton)
            setBold(m_fileLabel, bold);
        else if (watched == m_steps)
            setBold(m_stepsLabel, bold);
        else if (watched == m_cutOff || watched == m_closeWhenDone)
            setBold(static_cast<QWidget *>(watched), bold);
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TfGenSer::applyControls(const TGenSerControls &controls)
{
    m_fileButton->setEnabled(controls.fileButton);
    m_steps->setEnabled(controls.stepCount);
    m_generate->setEnabled(controls.generate);
    m_infoButton->setEnabled(controls.modelInfo);
    m_view->setBusy(controls.viewBusy, controls.viewDrawn);
}

void TfGenSer::setStatus(int panel, const QString &text)
{
    if (panel >= 0 && panel < 3)
        m_panels[panel]->setText(text);
}

void TfGenSer::showFileName(const QString &fileName)
{
    m_file->setText(fileName);
    m_file->setToolTip(fileName);
}

void TfGenSer::setProgress(int value, int maximum)
{
    auto *first = static_cast<QStackedWidget *>(m_progress->parentWidget());
    if (maximum < 0) {
        first->setCurrentWidget(m_panels[0]);
        return;
    }
    m_progress->setRange(0, maximum);
    m_progress->setValue(value);
    first->setCurrentWidget(m_progress);
}

void TfGenSer::showModel(const ModelHandle &model)
{
    m_view->LadujListeRAW(model);
}

void TfGenSer::resetView()
{
    m_view->ResetujPrzeksztalcenia();
}

void TfGenSer::turnView(int dx)
{
    m_view->Nawigacja(1, dx, 0);
    m_view->PokazScene();
}

QString TfGenSer::askForModelFile(const QString &title, const QString &folder, const QString &filter)
{
    if (m_hooks.askForModelFile)
        return m_hooks.askForModelFile(title, folder, filter);
    QFileDialog dialog(this, title, folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("raw"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool TfGenSer::askToContinue(const QString &text)
{
    QApplication::beep();
    return ConfirmDlg(text, DlgButton::Ok | DlgButton::Cancel) == DlgButton::Ok;
}

void TfGenSer::showModelInfo(const TModel &record)
{
    const QPoint corner = m_view->mapToGlobal(QPoint(0, 0));
    ShowModelInfo(corner.x(), corner.y(), record, this);
}

void TfGenSer::closeWindow()
{
    reject();
}

void TfGenSer::closeAllProjects()
{
    m_projects.CloseAllClick();
}

int TfGenSer::createStepProject(const QString &caption, TProjectDocument document)
{
    return m_projects.CreateGeneratedProject(caption, 1, std::move(document), false);
}

void TfGenSer::planStepProject(int handle)
{
    if (TMDIChild *child = m_projects.window(handle))
        child->PlanHere();
}

void TfGenSer::tileProjects()
{
    m_projects.TileWindows();
}

void TfGenSer::serialCutReady(bool cutOffAtEnd)
{
    if (m_hooks.serialCutReady)
        m_hooks.serialCutReady(cutOffAtEnd);
}

void ShowSerialCutFrom3D(int x, int y, TProjectWindowHost &projects, TGenSerHooks hooks, QWidget *parent)
{
    TfGenSer window(projects, std::move(hooks), parent);
    // The corner is the frame's, but Qt sizes the client area and a window's decorations are
    // known only once it is shown: the main window's own stand for them, so the status bar
    // at the bottom is not pushed off the screen by the title bar.
    QSize outer = window.size();
    if (parent) {
        const QWidget *main = parent->window();
        outer += main->frameGeometry().size() - main->size();
    }
    window.move(std::max(0, x - outer.width()), std::max(0, y - outer.height()));
    window.exec();
}
