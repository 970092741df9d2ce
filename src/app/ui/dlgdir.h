#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

// The folder dialog: the folder tree of the file system with the chosen
// folder's path above it, a confirm button with the caller's caption, and a
// button that makes a new folder under the selected one. The confirm button
// is enabled only while a folder is selected.
class TfDlgDir : public QDialog
{
    Q_OBJECT
public:
    explicit TfDlgDir(QWidget *parent = nullptr);

    // The caller's texts and the folder to start in.
    void setUp(const QString &caption, const QString &confirmCaption, const QString &initialFolder,
               const QString &proposedName);
    // The selected folder; empty when none is.
    QString selectedFolder() const;
    // The folder confirmed with btnZapisz.
    const QString &chosenFolder() const { return m_chosen; }

    // Asks for a new folder's name, starting with the given text; nothing
    // when cancelled. An input box unless a test puts its own in.
    using NameQuery = std::function<std::optional<QString>(const QString &initial)>;
    void setNameQuery(NameQuery query) { m_askName = std::move(query); }
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    void btnNewFolderClick();
    // Confirms the folder typed into the path box when it differs from the
    // tree's, or the tree's; a typed path that is no folder is reported.
    void btnZapiszClick();

private:
    void selectFolder(const QString &path);
    void folderSelected();
    void pathEntered();
    std::optional<QString> askName(const QString &initial);

    QFileSystemModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;
    QComboBox *m_path = nullptr;
    QPushButton *m_confirm = nullptr;
    QString m_proposedName;
    QString m_chosen;
    NameQuery m_askName;
    std::function<void()> m_beep;
};

// Shows the folder dialog modally; true with the chosen folder when it was
// confirmed, false when it was cancelled or closed.
bool SelectFolder(const QString &caption, const QString &confirmCaption, const QString &initialFolder,
                  const QString &proposedName, QString &folder);
