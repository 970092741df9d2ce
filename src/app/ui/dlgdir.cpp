#include "app/ui/dlgdir.h"

#include "app/folderchoice.h"
#include "app/language.h"
#include "app/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString SelectFolderText(const char *key)
{
    return GetText(QStringLiteral("SelectFolder"), QString::fromLatin1(key));
}

QPushButton *AddButton(QWidget *parent, QLayout *layout, const char *name)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

} // namespace

TfDlgDir::TfDlgDir(QWidget *parent)
    : QDialog(parent)
    , m_model(new QFileSystemModel(this))
{
    setObjectName(QStringLiteral("fDlgDir"));
    if (tInterfejs::instance().rightToLeft())
        setLayoutDirection(Qt::RightToLeft);
    resize(420, 460);
    auto *layout = new QVBoxLayout(this);

    // The path of the selected folder and of the folders above it; a path
    // typed there and confirmed with Enter is selected in the tree.
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_path = new QComboBox(panel);
    m_path->setObjectName(QStringLiteral("ShellComboBox1"));
    m_path->setEditable(true);
    m_path->setInsertPolicy(QComboBox::NoInsert);
    panelLayout->addWidget(m_path);
    layout->addWidget(panel);

    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setRootPath(QDir::rootPath());
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("ShellTreeView1"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_tree, 1);

    auto *buttons = new QWidget(this);
    buttons->setObjectName(QStringLiteral("pPrzyciski"));
    auto *buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    QPushButton *newFolder = AddButton(buttons, buttonLayout, "btnNewFolder");
    buttonLayout->addStretch();
    m_confirm = AddButton(buttons, buttonLayout, "btnZapisz");
    QPushButton *cancel = AddButton(buttons, buttonLayout, "btnAnuluj");
    layout->addWidget(buttons);

    newFolder->setText(SelectFolderText("btnNewFolder.caption"));
    cancel->setText(SelectFolderText("btnAnuluj.caption"));
    m_confirm->setEnabled(false);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &TfDlgDir::folderSelected);
    // The model reads folders in the background; the selected folder comes
    // into view once the folder holding it has been read.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        const QString selected = selectedFolder();
        if (!selected.isEmpty() && QFileInfo(selected).absolutePath() == loaded)
            m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    connect(m_path->lineEdit(), &QLineEdit::returnPressed, this, &TfDlgDir::pathEntered);
    connect(m_path, &QComboBox::activated, this,
            [this](int index) { selectFolder(m_path->itemText(index)); });
    connect(newFolder, &QPushButton::clicked, this, &TfDlgDir::btnNewFolderClick);
    connect(m_path->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &typed) {
        m_confirm->setEnabled(!typed.trimmed().isEmpty() || !selectedFolder().isEmpty());
    });
    connect(m_confirm, &QPushButton::clicked, this, &TfDlgDir::btnZapiszClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfDlgDir::setUp(const QString &caption, const QString &confirmCaption, const QString &initialFolder,
                     const QString &proposedName)
{
    setWindowTitle(caption);
    m_confirm->setText(confirmCaption);
    m_proposedName = proposedName;
    if (!initialFolder.isEmpty()) {
        selectFolder(initialFolder);
        m_tree->collapse(m_tree->currentIndex());
    }
}

QString TfDlgDir::selectedFolder() const
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || !m_tree->selectionModel()->isSelected(current))
        return {};
    return m_model->filePath(current);
}

void TfDlgDir::selectFolder(const QString &path)
{
    const QModelIndex index = m_model->index(QDir::cleanPath(QDir(path).absolutePath()));
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TfDlgDir::folderSelected()
{
    const QString folder = selectedFolder();
    m_confirm->setEnabled(!folder.isEmpty());
    // The chosen folder and every folder above it, nearest first.
    const QSignalBlocker blocker(m_path);
    m_path->clear();
    for (QDir dir(folder); !folder.isEmpty();) {
        m_path->addItem(QDir::toNativeSeparators(dir.absolutePath()));
        if (!dir.cdUp())
            break;
    }
    m_path->setCurrentIndex(0);
}

void TfDlgDir::btnZapiszClick()
{
    // A path typed into the box and not yet taken with Enter is what the user
    // sees as the choice; confirming the folder still selected in the tree
    // would save where nobody looked.
    const QString typed = m_path->currentText().trimmed();
    const QString selected = selectedFolder();
    if (!typed.isEmpty()
        && QDir::cleanPath(QDir(QDir::fromNativeSeparators(typed)).absolutePath()) != selected) {
        if (!QFileInfo(typed).isDir()) {
            ShowMsg(SelectFolderText("folderNieIstnieje") + QStringLiteral("\r\n") + typed, true);
            return;
        }
        selectFolder(typed);
    }
    m_chosen = selectedFolder();
    if (!m_chosen.isEmpty())
        accept();
}

void TfDlgDir::pathEntered()
{
    const QString typed = m_path->currentText();
    if (QFileInfo(typed).isDir())
        selectFolder(typed);
}

std::optional<QString> TfDlgDir::askName(const QString &initial)
{
    if (m_askName)
        return m_askName(initial);
    QInputDialog input(this);
    input.setWindowTitle(SelectFolderText("btnNewFolder.caption"));
    input.setLabelText(SelectFolderText("WprowadzNazweFolderu") + QStringLiteral(" :"));
    input.setTextValue(initial);
    // Room for a name as long as the model files' names usually are.
    input.resize(std::max(input.sizeHint().width(), 360), input.sizeHint().height());
    if (input.exec() != QDialog::Accepted)
        return std::nullopt;
    return input.textValue();
}

void TfDlgDir::btnNewFolderClick()
{
    const QString parent = selectedFolder();
    if (parent.isEmpty())
        return;
    std::optional<QString> name = askName(m_proposedName);
    while (name && !IsValidFolderName(*name)) {
        ShowMsg(InvalidFolderNameText(*name), true);
        name = askName(*name);
    }
    if (!name)
        return;
    QString path;
    const TNewFolderResult result = CreateNewFolder(parent, *name, path);
    if (result != TNewFolderResult::Created) {
        if (result == TNewFolderResult::Exists) {
            if (m_beep)
                m_beep();
            else
                QApplication::beep();
        }
        ShowMsg(NewFolderFailureText(result, path), true);
        return;
    }
    m_tree->expand(m_tree->currentIndex());
    selectFolder(path);
    m_confirm->setFocus();
}

bool SelectFolder(const QString &caption, const QString &confirmCaption, const QString &initialFolder,
                  const QString &proposedName, QString &folder)
{
    TfDlgDir dialog(QApplication::activeWindow());
    dialog.setUp(caption, confirmCaption, initialFolder, proposedName);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    folder = dialog.chosenFolder();
    return true;
}
