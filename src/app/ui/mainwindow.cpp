#include "app/ui/mainwindow.h"

#include "app/commandline.h"
#include "app/common.h"
#include "app/definicje.h"
#include "app/language.h"
#include "app/settings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <utility>

namespace {

// Qt disables a hidden action whatever it is told; the frame's own view of
// the item is kept beside it.
const char *const enabledProperty = "prentavikEnabled";

bool intendedEnabled(const QAction *action)
{
    const QVariant intended = action->property(enabledProperty);
    return intended.isValid() ? intended.toBool() : action->isEnabled();
}

IProjectWindow *projectOf(QMdiSubWindow *subWindow)
{
    if (subWindow == nullptr)
        return nullptr;
    if (auto *project = dynamic_cast<IProjectWindow *>(subWindow->widget()))
        return project;
    return dynamic_cast<IProjectWindow *>(subWindow);
}

// Items and buttons that need at least one project window.
const char *const perProjectControls[] = {
    "FileCloseItem", "FileSaveAsHPGL",    "FileSaveAsDXF",  "miZaginaczProfili", "info",       "Symulacja",
    "Window1",       "WindowCascadeItem", "WindowTileItem", "SpeedSymulacja",    "SpeedStart", "sbStart",
    "Start1",
};

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
    , m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QCoreApplication::applicationName());
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(m_mdiArea);
    buildMenus();
    buildToolBars();
    buildStatusBar();
    // The active project decides what the menus offer.
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuItems(); });
    // Removed by Qt when the window is destroyed.
    QCoreApplication::instance()->installEventFilter(this);
}

TMainForm::~TMainForm()
{
    // Project windows are destroyed with the area; no menu updates from them.
    m_tearingDown = true;
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

QAction *TMainForm::addItem(QMenu *menu, const char *name, const QKeySequence &shortcut)
{
    auto *action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    return action;
}

QToolButton *TMainForm::addButton(QWidget *panel, const char *name)
{
    auto *button = new QToolButton(panel);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    panel->layout()->addWidget(button);
    return button;
}

void TMainForm::keepShortcutWhileHidden(QAction *action)
{
    // A hidden menu item's shortcut would die with its visibility; the main
    // window keeps it reachable while the item is hidden and enabled.
    auto *shortcut = new QShortcut(action->shortcut(), this);
    shortcut->setObjectName(action->objectName() + QStringLiteral("Shortcut"));
    auto update = [shortcut, action] { shortcut->setEnabled(!action->isVisible()); };
    connect(action, &QAction::changed, shortcut, update);
    connect(shortcut, &QShortcut::activated, action, [action] {
        if (intendedEnabled(action))
            action->trigger();
    });
    update();
}

void TMainForm::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    auto menu = [bar](const char *name) {
        auto *created = new QMenu(bar);
        created->setObjectName(QString::fromLatin1(name));
        bar->addMenu(created);
        return created;
    };
    auto separator = [this](QMenu *into, const char *name) {
        QAction *line = into->addSeparator();
        line->setParent(this);
        line->setObjectName(QString::fromLatin1(name));
    };

    QMenu *file = menu("File1");
    addItem(file, "FileOpenItem", Qt::Key_F3);
    QAction *saveHpgl = addItem(file, "FileSaveAsHPGL", Qt::Key_F11);
    QAction *saveDxf = addItem(file, "FileSaveAsDXF", Qt::Key_F12);
    addItem(file, "FileCloseItem");
    separator(file, "N1");
    QAction *duplicate = addItem(file, "miDuplikujPlt", Qt::Key_F4);
    QAction *serial3D = addItem(file, "miGenSeryjnego3D");
    QAction *saveSerial = addItem(file, "miSaveSerial", Qt::SHIFT | Qt::Key_F6);
    addItem(file, "miGenKrzyzToPunkt");
    QAction *bending = addItem(file, "miZaginaczProfili", Qt::Key_F7);
    separator(file, "N2");
    addItem(file, "info");
    addItem(file, "Symulacja", Qt::Key_F1);
    separator(file, "N3");
    addItem(file, "About1");
    addItem(file, "miInstrObslugi");
    addItem(file, "miPrzyklady");
    addItem(file, "miKatalog");
    separator(file, "N4");
    addItem(file, "FileExitItem", Qt::ALT | Qt::Key_X);

    QMenu *cutting = menu("Cicie1");
    addItem(cutting, "Start1", Qt::Key_F2);
    addItem(cutting, "Wstrzymaj1", Qt::Key_Space);
    addItem(cutting, "Kontynuacja1", Qt::SHIFT | Qt::Key_F2);

    auto *control = new QAction(this);
    control->setObjectName(QStringLiteral("sterowanie"));
    control->setShortcut(Qt::Key_F5);
    bar->addAction(control);
    auto *configuration = new QAction(this);
    configuration->setObjectName(QStringLiteral("Konfiguracja"));
    configuration->setShortcut(Qt::Key_F6);
    bar->addAction(configuration);

    QMenu *barcodes = menu("Kodykreskowe");
    addItem(barcodes, "KodyKreskowePrzeglad");
    addItem(barcodes, "KodyKreskoweZapis");

    QMenu *window = menu("Window1");
    addItem(window, "WindowCascadeItem");
    addItem(window, "WindowTileItem");
    separator(window, "N5");
    addItem(window, "CloseAll");

    QMenu *program = menu("miProgram");
    addItem(program, "miZgloszenieBledu");

    for (QAction *hidden : {saveHpgl, saveDxf, duplicate, serial3D, saveSerial, bending})
        hidden->setVisible(false);
    for (const char *name : {"FileCloseItem", "miDuplikujPlt", "info", "Symulacja"})
        setItemEnabled(name, false);
    barcodes->menuAction()->setVisible(false);
    program->menuAction()->setVisible(false);
    for (QAction *hidden : {saveHpgl, saveDxf, duplicate, saveSerial, bending})
        keepShortcutWhileHidden(hidden);

    const std::pair<const char *, Command> commands[] = {
        {"FileOpenItem", Command::OpenDrawing},
        {"FileSaveAsHPGL", Command::SaveAsHpgl},
        {"FileSaveAsDXF", Command::SaveAsDxf},
        {"miDuplikujPlt", Command::Duplicate},
        {"miGenSeryjnego3D", Command::SerialFrom3D},
        {"miSaveSerial", Command::SaveSerial},
        {"miZaginaczProfili", Command::ArchBending},
        {"info", Command::JobInformation},
        {"About1", Command::About},
        {"miInstrObslugi", Command::Manual},
        {"miPrzyklady", Command::Samples},
        {"miKatalog", Command::Catalogue},
        {"Start1", Command::Start},
        {"Wstrzymaj1", Command::Pause},
        {"Kontynuacja1", Command::Continue},
        {"sterowanie", Command::ManualControl},
        {"KodyKreskowePrzeglad", Command::BarcodeBrowse},
        {"KodyKreskoweZapis", Command::BarcodeSave},
        {"miZgloszenieBledu", Command::SupportRequest},
    };
    for (const auto &[name, command] : commands)
        connectCommand(findChild<QAction *>(QString::fromLatin1(name)), command);

    auto own = [this](const char *name, void (TMainForm::*slot)()) {
        connect(findChild<QAction *>(QString::fromLatin1(name)), &QAction::triggered, this, slot);
    };
    own("FileCloseItem", &TMainForm::FileCloseItemClick);
    own("Symulacja", &TMainForm::SymulacjaClick);
    own("FileExitItem", &TMainForm::FileExitItemClick);
    own("Konfiguracja", &TMainForm::KonfiguracjaClick);
    own("WindowCascadeItem", &TMainForm::WindowCascadeItemClick);
    own("WindowTileItem", &TMainForm::WindowTileItemClick);
    own("CloseAll", &TMainForm::CloseAllClick);
}

void TMainForm::buildToolBars()
{
    QStyle *look = style();
    auto icon = [look](QStyle::StandardPixmap pixmap) { return look->standardIcon(pixmap); };

    auto *speedPanel = new QToolBar(this);
    speedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    speedPanel->setMovable(false);
    speedPanel->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, speedPanel);

    m_buttonPanel = new QWidget(speedPanel);
    m_buttonPanel->setObjectName(QStringLiteral("pPrzyciski"));
    m_buttonPanel->setLayout(new QHBoxLayout);
    m_buttonPanel->layout()->setContentsMargins(0, 0, 0, 0);
    addButton(m_buttonPanel, "OpenBtn")->setIcon(icon(QStyle::SP_DialogOpenButton));
    addButton(m_buttonPanel, "SpeedSymulacja")->setIcon(icon(QStyle::SP_MediaSeekForward));
    addButton(m_buttonPanel, "SpeedStart")->setIcon(icon(QStyle::SP_MediaPlay));
    addButton(m_buttonPanel, "SpeedStop")->setIcon(icon(QStyle::SP_MediaPause));
    addButton(m_buttonPanel, "Skont")->setIcon(icon(QStyle::SP_MediaSkipForward));
    addButton(m_buttonPanel, "sbSterowanie")->setIcon(icon(QStyle::SP_ComputerIcon));
    addButton(m_buttonPanel, "sbKonfiguracja")->setIcon(icon(QStyle::SP_FileDialogDetailedView));
    for (const char *name : {"SpeedSymulacja", "SpeedStart", "SpeedStop", "Skont"})
        findChild<QToolButton *>(QString::fromLatin1(name))->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    speedPanel->addWidget(m_buttonPanel);

    auto *spacer = new QWidget(speedPanel);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    speedPanel->addWidget(spacer);

    auto *exitPanel = new QWidget(speedPanel);
    exitPanel->setObjectName(QStringLiteral("Panel2"));
    exitPanel->setLayout(new QHBoxLayout);
    exitPanel->layout()->setContentsMargins(0, 0, 0, 0);
    addButton(exitPanel, "sbWyjscie")->setIcon(icon(QStyle::SP_DialogCloseButton));
    speedPanel->addWidget(exitPanel);

    auto *sideBar = new QToolBar(this);
    sideBar->setObjectName(QStringLiteral("Panel1"));
    sideBar->setMovable(false);
    sideBar->setFloatable(false);
    addToolBar(Qt::RightToolBarArea, sideBar);
    auto *sideButtons = new QWidget(sideBar);
    sideButtons->setLayout(new QVBoxLayout);
    sideButtons->layout()->setContentsMargins(0, 0, 0, 0);
    addButton(sideButtons, "sbGenKrzyzToPunkt")->setIcon(icon(QStyle::SP_FileDialogNewFolder));
    addButton(sideButtons, "sbOdjazdWprawo")->setIcon(icon(QStyle::SP_ArrowRight));
    addButton(sideButtons, "sbMorvantello")->setIcon(icon(QStyle::SP_DesktopIcon));
    addButton(sideButtons, "sbStart")->setIcon(icon(QStyle::SP_MediaPlay));
    static_cast<QVBoxLayout *>(sideButtons->layout())->addStretch();
    sideBar->addWidget(sideButtons);

    const std::pair<const char *, Command> commands[] = {
        {"OpenBtn", Command::OpenDrawing},
        {"SpeedStart", Command::Start},
        {"sbStart", Command::Start},
        {"SpeedStop", Command::Pause},
        {"Skont", Command::Continue},
        {"sbSterowanie", Command::ManualControl},
        {"sbGenKrzyzToPunkt", Command::HoleDrilling},
        {"sbMorvantello", Command::Companion},
        {"sbOdjazdWprawo", Command::DriveAwayRight},
    };
    for (const auto &[name, command] : commands)
        connectCommand(findChild<QToolButton *>(QString::fromLatin1(name)), command);
    auto own = [this](const char *name, void (TMainForm::*slot)()) {
        connect(findChild<QToolButton *>(QString::fromLatin1(name)), &QToolButton::clicked, this, slot);
    };
    own("SpeedSymulacja", &TMainForm::SymulacjaClick);
    own("sbKonfiguracja", &TMainForm::KonfiguracjaClick);
    own("sbWyjscie", &TMainForm::FileExitItemClick);

    for (const char *name : {"SpeedSymulacja", "SpeedStart", "sbStart"})
        findChild<QToolButton *>(QString::fromLatin1(name))->setEnabled(false);
}

void TMainForm::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    auto *panels = new QWidget(bar);
    m_statusLayout = new QHBoxLayout(panels);
    m_statusLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(panels);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
        m_statusLayout->addWidget(m_statusPanels[i]);
        if (i == 0) {
            m_progress = new QProgressBar(panels);
            m_progress->setObjectName(QStringLiteral("StatusProgress"));
            m_progress->setRange(0, 100);
            m_progress->setFixedWidth(160);
            m_progress->hide();
            m_statusLayout->addWidget(m_progress);
        }
    }
    // The design widths until the first resize.
    m_statusLayout->setStretchFactor(m_statusPanels[0], 300);
    m_statusLayout->setStretchFactor(m_statusPanels[1], 50);
    bar->addWidget(panels, 1);
}

void TMainForm::connectCommand(QObject *control, Command command)
{
    const QString sender = control->objectName();
    if (auto *action = qobject_cast<QAction *>(control))
        connect(action, &QAction::triggered, this, [this, command, sender] { runCommand(command, sender); });
    else if (auto *button = qobject_cast<QToolButton *>(control))
        connect(button, &QToolButton::clicked, this,
                [this, command, sender] { runCommand(command, sender); });
}

void TMainForm::setCommand(Command command, std::function<void()> handler)
{
    m_commands[command] = std::move(handler);
}

void TMainForm::showItem(const QString &name)
{
    if (QAction *action = findChild<QAction *>(name))
        action->setVisible(true);
    else if (QMenu *menu = findChild<QMenu *>(name))
        menu->menuAction()->setVisible(true);
}

void TMainForm::runCommand(Command command, const QString &sender)
{
    const auto found = m_commands.find(command);
    if (found == m_commands.end() || !found->second)
        return;
    const QString outer = std::exchange(m_commandSender, sender);
    found->second();
    m_commandSender = outer;
}

void TMainForm::adoptDeviceLink(std::unique_ptr<IDeviceLink> link)
{
    m_deviceLink = std::move(link);
}

void TMainForm::applyText(const ComponentText &text, const QString &value)
{
    QObject *component = findChild<QObject *>(QString::fromLatin1(text.component));
    const bool caption = text.target != TextTarget::Hint;
    const bool hint = text.target != TextTarget::Caption;
    // Several hints reuse a menu item's caption, mnemonic and all.
    const QString tip = WithoutMnemonic(value);
    if (auto *menu = qobject_cast<QMenu *>(component)) {
        menu->setTitle(value);
    } else if (auto *action = qobject_cast<QAction *>(component)) {
        if (caption)
            action->setText(value);
        if (hint)
            action->setStatusTip(tip);
    } else if (auto *button = qobject_cast<QToolButton *>(component)) {
        if (caption)
            button->setText(value);
        if (hint) {
            button->setToolTip(tip);
            button->setStatusTip(tip);
        }
    }
}

void TMainForm::Translate()
{
    tInterfejs &language = tInterfejs::mutableInstance();
    language.setRightToLeft(language.country() == 966);

    ProgramGlobals &globals = Globals();
    CommandLine::current().DealerName(globals.dealerCode);
    setWindowTitle(MainTitle(QCoreApplication::applicationName(), language, CommandLine::current(),
                             globals.singleMachineName));

    if (language.rightToLeft()) {
        // Qt mirrors the menu order and the tool-bar panels by itself.
        QGuiApplication::setLayoutDirection(Qt::RightToLeft);
        setLayoutDirection(Qt::RightToLeft);
    }

    const QString section = QStringLiteral("Main_window");
    for (const ComponentText &text : MainWindowTexts())
        applyText(text, language.GetText(section, QString::fromLatin1(text.key)));
    findChild<QAction *>(QStringLiteral("miKatalog"))
        ->setText(CatalogueCaption(language, DocumentPlace::current()));
    UpdateMenuItems();
}

std::vector<IProjectWindow *> TMainForm::projectWindows() const
{
    std::vector<IProjectWindow *> windows;
    for (QMdiSubWindow *subWindow : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (IProjectWindow *project = projectOf(subWindow))
            windows.push_back(project);
    }
    return windows;
}

IProjectWindow *TMainForm::activeProjectWindow() const
{
    return projectOf(m_mdiArea->currentSubWindow());
}

void TMainForm::UpdateMenuItems()
{
    if (m_tearingDown)
        return;
    const int count = static_cast<int>(projectWindows().size());
    const IProjectWindow *active = activeProjectWindow();
    const MenuEnabling enabling
        = MenuEnablingFor(count, active ? active->caption() : QString(), Settings::current().Mode);

    for (const char *name : perProjectControls)
        setItemEnabled(name, enabling.perProject);
    setItemEnabled("miDuplikujPlt", enabling.duplicate);
    setItemEnabled("miSaveSerial", enabling.saveSerial);

    const DocumentPlace place = DocumentPlace::current();
    QString path;
    findChild<QAction *>(QStringLiteral("miInstrObslugi"))->setVisible(ManualPath(place, path));
    findChild<QAction *>(QStringLiteral("miPrzyklady"))->setVisible(SamplesDir(place, path));
    findChild<QAction *>(QStringLiteral("miKatalog"))->setVisible(CataloguePath(place, path));

    if (count == 0 && m_sharedSize != nullptr)
        m_sharedSize->WriteProjectSize(-1, -1);
}

void TMainForm::setItemEnabled(const char *name, bool enabled)
{
    QObject *control = findChild<QObject *>(QString::fromLatin1(name));
    if (auto *menu = qobject_cast<QMenu *>(control))
        control = menu->menuAction();
    if (auto *action = qobject_cast<QAction *>(control)) {
        action->setEnabled(enabled);
        action->setProperty(enabledProperty, enabled);
    } else if (auto *widget = qobject_cast<QWidget *>(control)) {
        widget->setEnabled(enabled);
    }
}

bool TMainForm::isItemEnabled(const QString &name) const
{
    QObject *control = findChild<QObject *>(name);
    if (auto *menu = qobject_cast<QMenu *>(control))
        control = menu->menuAction();
    if (auto *action = qobject_cast<QAction *>(control))
        return intendedEnabled(action);
    if (auto *widget = qobject_cast<QWidget *>(control))
        return widget->isEnabled();
    return false;
}

void TMainForm::setStatusText(int panel, const QString &text)
{
    if (panel >= 0 && panel < 2)
        m_statusPanels[panel]->setText(text);
}

void TMainForm::showStatusNow(int panel, const QString &text)
{
    setStatusText(panel, text);
    if (panel >= 0 && panel < 2)
        m_statusPanels[panel]->repaint();
}

void TMainForm::setProgress(int percent)
{
    m_progress->setVisible(percent >= 0);
    if (percent >= 0)
        m_progress->setValue(std::min(percent, 100));
}

QString TMainForm::statusText(int panel) const
{
    return panel >= 0 && panel < 2 ? m_statusPanels[panel]->text() : QString();
}

void TMainForm::CloseAllClick()
{
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    QList<QPointer<QMdiSubWindow>> guarded(windows.begin(), windows.end());
    for (qsizetype i = guarded.size() - 1; i >= 0; --i) {
        if (guarded.at(i))
            guarded.at(i)->close();
    }
}

void TMainForm::KonfiguracjaClick()
{
    if (m_configuration != nullptr)
        KonfiguracjaFollowUp(*m_configuration, m_machine, *this);
}

void TMainForm::SymulacjaClick()
{
    if (IProjectWindow *project = activeProjectWindow())
        SimulateProject(*project, Settings::current().Mode, Settings::current().CatDir);
}

void TMainForm::FileCloseItemClick()
{
    if (QMdiSubWindow *active = m_mdiArea->currentSubWindow())
        active->close();
}

void TMainForm::FileExitItemClick()
{
    close();
}

void TMainForm::WindowCascadeItemClick()
{
    m_mdiArea->cascadeSubWindows();
}

void TMainForm::WindowTileItemClick()
{
    m_mdiArea->tileSubWindows();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    // A key press reaches its window first and then, propagated, the focus
    // widget and its parents: only the window's delivery counts, once.
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        m_scanner.AppMessage({key->key(), key->nativeScanCode(), key->modifiers().testFlag(Qt::AltModifier),
                              key->modifiers().testFlag(Qt::KeypadModifier)});
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent *event)
{
    // Hints of menu items and buttons go to the first status panel.
    if (event->type() == QEvent::StatusTip) {
        setStatusText(0, static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !isMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    const CloseDecision decision = CloseQuery(m_transmitter);
    if (!decision.allowed) {
        if (decision.message)
            ShowMsg(*decision.message);
        event->ignore();
        return;
    }
    // The USB device is released before any other window goes.
    m_deviceLink.reset();
    QMainWindow::closeEvent(event);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The status bar spans the whole window.
    m_panelWidths = StatusPanelWidths(width());
    m_statusLayout->setStretchFactor(m_statusPanels[0], m_panelWidths.first);
    m_statusLayout->setStretchFactor(m_statusPanels[1], m_panelWidths.second);
}

void TMainForm::mousePressEvent(QMouseEvent *event)
{
    UpdateMenuItems();
    QMainWindow::mousePressEvent(event);
}
