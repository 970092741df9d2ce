#include "job/ui/barcodedlg.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"
#include "job/barcodesets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString Section = QStringLiteral("Barcode_sets");

QString Text(const QString &key)
{
    return GetText(Section, key);
}

int s_openBrowsers = 0;

template<typename T> T *Named(QWidget *parent, const QString &name)
{
    auto *widget = new T(parent);
    widget->setObjectName(name);
    return widget;
}

QLabel *Caption(QWidget *parent, const char *name)
{
    return Named<QLabel>(parent, QString::fromLatin1(name));
}

// A project line; its hint names the whole path, which a narrow list cuts.
void AddProjectLine(QListWidget &list, const QString &path)
{
    auto *item = new QListWidgetItem(path, &list);
    item->setToolTip(path);
}

// The folder of a file, or the fallback when there is none.
QString FolderOf(const QString &file, const QString &fallback)
{
    return file.isEmpty() ? fallback : QFileInfo(file).absolutePath();
}

} // namespace

TfBarCodDlg::TfBarCodDlg(TBarcodeBrowserContext context, const QString &preselect, QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_browser(m_context.setFolder, preselect, m_context.portSettings)
{
    ++s_openBrowsers;
    setObjectName(QStringLiteral("fBarCodDlg"));
    setWindowTitle(QStringLiteral("Kody kreskowe - przegląd"));
    buildUi();
    translate();
    FormShow();
}

TfBarCodDlg::~TfBarCodDlg()
{
    --s_openBrowsers;
}

bool TfBarCodDlg::isOpen()
{
    return s_openBrowsers > 0;
}

void TfBarCodDlg::buildUi()
{
    auto *layout = new QHBoxLayout(this);

    auto *setsColumn = new QVBoxLayout;
    setsColumn->addWidget(Caption(this, "lKodyKreskowe"));
    m_codes = Named<QListWidget>(this, QStringLiteral("lbKodyKreskowe"));
    m_codes->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")) + 40);
    setsColumn->addWidget(m_codes, 1);
    auto *setButtons = new QHBoxLayout;
    m_delete = Named<QPushButton>(this, QStringLiteral("btnUsunPlik"));
    m_new = Named<QPushButton>(this, QStringLiteral("TntBitBtn1"));
    m_new->setEnabled(false);
    setButtons->addWidget(m_delete);
    setButtons->addWidget(m_new);
    setsColumn->addLayout(setButtons);
    layout->addLayout(setsColumn);

    auto *setColumn = new QGridLayout;
    setColumn->addWidget(Caption(this, "lKonfig"), 0, 0, 1, 2);
    m_config = Named<QLineEdit>(this, QStringLiteral("eKonfig"));
    m_config->setMaxLength(int(MaxConfigPathLength));
    m_chooseConfig = Named<QToolButton>(this, QStringLiteral("sbPobierzSciezkeKonfiga"));
    m_chooseConfig->setText(QStringLiteral("..."));
    setColumn->addWidget(m_config, 1, 0);
    setColumn->addWidget(m_chooseConfig, 1, 1);

    setColumn->addWidget(Caption(this, "lProjekty"), 2, 0, 1, 2);
    m_projects = Named<QListWidget>(this, QStringLiteral("lbProjekty"));
    m_projects->setMinimumWidth(420);
    setColumn->addWidget(m_projects, 3, 0, 2, 1);
    m_addProject = Named<QToolButton>(this, QStringLiteral("sbDodajProjekt"));
    m_addProject->setText(QStringLiteral("+"));
    m_removeProject = Named<QToolButton>(this, QStringLiteral("sbUsunProjekt"));
    m_removeProject->setText(QStringLiteral("-"));
    setColumn->addWidget(m_addProject, 3, 1, Qt::AlignTop);
    setColumn->addWidget(m_removeProject, 4, 1, Qt::AlignTop);

    auto *label = Named<QGroupBox>(this, QStringLiteral("gbEtykieta"));
    auto *labelGrid = new QGridLayout(label);
    m_preview = Named<QLabel>(label, QStringLiteral("Image1"));
    labelGrid->addWidget(m_preview, 0, 0, 6, 1, Qt::AlignTop);
    labelGrid->addWidget(Caption(label, "lEtykietaDomyslna"), 0, 1);
    for (int i = 0; i < 5; ++i) {
        m_summary[i] = Named<QLineEdit>(label, QStringLiteral("eEtykietaDomyslna%1").arg(i + 1));
        m_summary[i]->setReadOnly(true);
        m_summary[i]->setMaxLength(45);
        labelGrid->addWidget(m_summary[i], i + 1, 1);
    }
    labelGrid->addWidget(Caption(label, "lEtykieta"), 6, 1);
    for (int i = 0; i < 4; ++i) {
        m_userLines[i] = Named<QLineEdit>(label, QStringLiteral("eEtykieta%1").arg(i + 1));
        m_userLines[i]->setMaxLength(27);
        labelGrid->addWidget(m_userLines[i], i + 7, 1);
    }
    setColumn->addWidget(label, 5, 0, 1, 2);

    auto *printRow = new QHBoxLayout;
    printRow->addWidget(Caption(this, "lPort"));
    m_port = Named<QComboBox>(this, QStringLiteral("cbPort"));
    m_port->setEditable(true);
    m_port->setMinimumContentsLength(14);
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        m_port->addItem(info.systemLocation());
    m_port->setCurrentText(m_browser.labelPort());
    printRow->addWidget(m_port);
    m_printLabel = Named<QPushButton>(this, QStringLiteral("btnDrukujEtykiete"));
    m_printSheet = Named<QPushButton>(this, QStringLiteral("btnDrukujPelneInfo"));
    printRow->addWidget(m_printLabel);
    printRow->addWidget(m_printSheet);
    printRow->addStretch();
    m_save = Named<QPushButton>(this, QStringLiteral("btnZapisz"));
    m_close = Named<QPushButton>(this, QStringLiteral("btnAnuluj"));
    printRow->addWidget(m_save);
    printRow->addWidget(m_close);
    setColumn->addLayout(printRow, 6, 0, 1, 2);
    layout->addLayout(setColumn, 1);
    // Return in a label line must not press a button, least of all Delete.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    connect(m_codes, &QListWidget::currentRowChanged, this, [this] { lbKodyKreskoweClick(); });
    auto *deleteKey = new QShortcut(QKeySequence::Delete, m_codes, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (m_delete->isEnabled())
            btnUsunPlikClick();
    });
    connect(m_delete, &QPushButton::clicked, this, &TfBarCodDlg::btnUsunPlikClick);
    connect(m_chooseConfig, &QToolButton::clicked, this, &TfBarCodDlg::sbPobierzSciezkeKonfigaClick);
    connect(m_addProject, &QToolButton::clicked, this, &TfBarCodDlg::sbDodajProjektClick);
    connect(m_removeProject, &QToolButton::clicked, this, &TfBarCodDlg::sbUsunProjektClick);
    connect(m_printLabel, &QPushButton::clicked, this, &TfBarCodDlg::btnDrukujEtykieteClick);
    connect(m_printSheet, &QPushButton::clicked, this, &TfBarCodDlg::btnDrukujPelneInfoClick);
    connect(m_save, &QPushButton::clicked, this, &TfBarCodDlg::btnZapiszClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_config, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_browser.setConfigFileName(text);
        m_config->setToolTip(text);
        showState();
    });
    for (int i = 0; i < 4; ++i) {
        connect(m_userLines[i], &QLineEdit::textEdited, this, [this, i](const QString &text) {
            m_browser.setUserLine(i, text);
            showState();
        });
    }
    connect(m_port, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { m_browser.setLabelPort(text); });
}

void TfBarCodDlg::translate()
{
    setWindowTitle(Text(QStringLiteral("fBarCodDlg.caption")));
    for (QLabel *caption : findChildren<QLabel *>()) {
        if (caption != m_preview && !caption->objectName().isEmpty())
            caption->setText(Text(caption->objectName() + QStringLiteral(".caption")));
    }
    for (QPushButton *button : {m_delete, m_new, m_printLabel, m_printSheet, m_save, m_close})
        button->setText(Text(button->objectName() + QStringLiteral(".caption")));
    for (QToolButton *button : {m_chooseConfig, m_addProject, m_removeProject})
        button->setToolTip(Text(button->objectName() + QStringLiteral(".hint")));
    findChild<QGroupBox *>(QStringLiteral("gbEtykieta"))
        ->setTitle(Text(QStringLiteral("gbEtykieta.caption")));
}

void TfBarCodDlg::FormShow()
{
    m_browser.FormShow();
    showList();
    showSet();
}

void TfBarCodDlg::showList()
{
    const QSignalBlocker blocker(m_codes);
    m_codes->clear();
    m_codes->addItems(m_browser.codes());
    // Set through the view, so that focusing the list does not pick its
    // first set when none is selected.
    const int row = m_browser.selectedIndex();
    m_codes->setCurrentIndex(row >= 0 ? m_codes->model()->index(row, 0) : QModelIndex());
}

void TfBarCodDlg::lbKodyKreskoweClick()
{
    m_browser.lbKodyKreskoweClick(m_codes->currentRow());
    showSet();
}

void TfBarCodDlg::showSet()
{
    const QSignalBlocker blocker(m_config);
    m_config->setText(m_browser.configFileName());
    m_config->setToolTip(m_browser.configFileName());
    m_projects->clear();
    for (const QString &project : m_browser.projects())
        AddProjectLine(*m_projects, project);
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker lineBlocker(m_userLines[i]);
        m_userLines[i]->setText(m_browser.userLines()[i]);
    }
    m_preview->setPixmap(QPixmap::fromImage(BarcodePreview(m_browser.pattern())));
    showState();
}

void TfBarCodDlg::showState()
{
    for (int i = 0; i < 5; ++i)
        m_summary[i]->setText(m_browser.summary()[i]);
    const bool set = m_browser.setButtonsEnabled();
    for (QWidget *control : std::initializer_list<QWidget *> {
             m_delete, m_printLabel, m_printSheet, m_chooseConfig, m_addProject, m_removeProject, m_config})
        control->setEnabled(set);
    for (QLineEdit *line : m_userLines)
        line->setEnabled(set);
    m_save->setEnabled(m_browser.saveEnabled());
}

QString TfBarCodDlg::askForFile(const QString &title, const QString &folder, const QString &filter)
{
    if (m_context.askForFile)
        return m_context.askForFile(title, folder, filter);
    return QFileDialog::getOpenFileName(this, title, folder, filter);
}

void TfBarCodDlg::btnZapiszClick()
{
    const ConfigFiles::FileResult saved = m_browser.btnZapiszClick();
    if (!saved.ok)
        ShowMsg(FileWriteFailedText(m_browser.setFileName(), saved.error), true);
    showState();
}

void TfBarCodDlg::btnUsunPlikClick()
{
    if (m_browser.btnUsunPlikClick()) {
        showList();
        showSet();
    }
}

void TfBarCodDlg::sbDodajProjektClick()
{
    const QString last = m_browser.projects().isEmpty() ? QString() : m_browser.projects().constLast();
    const QString file
        = askForFile(GetText(QStringLiteral("Main_window"), QStringLiteral("otworz")),
                     FolderOf(last, m_context.openFolder), QStringLiteral("Hpgl (*.plt);;DXF (*.dxf)"));
    if (file.isEmpty())
        return;
    m_browser.addProject(file);
    AddProjectLine(*m_projects, file);
    showState();
}

void TfBarCodDlg::sbUsunProjektClick()
{
    const int row = m_projects->currentRow();
    if (row < 0)
        return;
    m_browser.removeProject(row);
    delete m_projects->takeItem(row);
    showState();
}

void TfBarCodDlg::sbPobierzSciezkeKonfigaClick()
{
    const QString file
        = askForFile(GetText(QStringLiteral("Main_window"), QStringLiteral("otworz")),
                     FolderOf(m_browser.configFileName(), m_context.openFolder),
                     QCoreApplication::applicationName() + QStringLiteral(" mcc (*.mcc);;*.* (*)"));
    if (file.isEmpty())
        return;
    // The global record could not hold it, so the set could not load it.
    if (file.size() > MaxConfigPathLength) {
        ShowMsg(Text(QStringLiteral("sciezkaKonfiguracjiZaDluga")) + QLatin1Char('\n') + file, true);
        return;
    }
    m_browser.setConfigFileName(file);
    const QSignalBlocker blocker(m_config);
    m_config->setText(file);
    m_config->setToolTip(file);
    showState();
}

void TfBarCodDlg::btnDrukujEtykieteClick()
{
    if (m_browser.selectedIndex() < 0)
        return;
    const TBarcodeBrowser::LabelOutcome outcome = m_browser.btnDrukujEtykieteClick();
    if (!outcome.printed.ok)
        ShowMsg(Text(QStringLiteral("bladDrukuEtykiety")) + QLatin1Char('\n') + m_browser.labelPort()
                    + QLatin1Char('\n') + outcome.printed.error,
                true);
    if (!outcome.portSaved.ok)
        ShowMsg(FileWriteFailedText(m_context.portSettings, outcome.portSaved.error), true);
}

void TfBarCodDlg::btnDrukujPelneInfoClick()
{
    if (m_browser.selectedIndex() < 0)
        return;
    if (m_context.printSheet)
        m_context.printSheet(m_browser.sheet());
    else
        PrintBarcodeSheet(m_browser.sheet(), this);
}

void ShowBarcodeBrowser(const QString &code, const TBarcodeBrowserContext &context, QWidget *parent)
{
    TfBarCodDlg dialog(context, code, parent);
    dialog.exec();
}

void PrintBarcodeSheet(const TBarcodeSheet &sheet, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(sheet.pKodKreskowy);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowMsg(Text(QStringLiteral("bladDrukuArkusza")), true);
        return;
    }
    PaintBarcodeSheet(painter, sheet);
    painter.end();
}
