#pragma once

#include "job/barcodebrowser.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

// What the browser needs from the program; empty dialogs fall back to the
// standard ones.
struct TBarcodeBrowserContext
{
    QString setFolder;
    // The INI file that keeps the label printer's port.
    QString portSettings;
    // The drawing open dialog's remembered folder, for the configuration
    // chooser when the set names no configuration yet.
    QString openFolder;
    // An open dialog: title, start folder, Qt filter; empty when cancelled.
    std::function<QString(const QString &title, const QString &folder, const QString &filter)> askForFile;
    // Prints the A4 sheet; by default through the print dialog.
    std::function<void(const TBarcodeSheet &sheet)> printSheet;
};

// The barcode set browser: the sets of the program's folder, the selected
// one's configuration, projects and label lines with its barcode, and
// saving, deleting and printing it.
class TfBarCodDlg : public QDialog
{
    Q_OBJECT
public:
    TfBarCodDlg(TBarcodeBrowserContext context, const QString &preselect, QWidget *parent = nullptr);
    ~TfBarCodDlg() override;

    // While a browser exists the scanner keeps still: its fields take digits.
    static bool isOpen();

    const TBarcodeBrowser &browser() const { return m_browser; }

    void FormShow();
    void lbKodyKreskoweClick();
    void btnZapiszClick();
    void btnUsunPlikClick();
    void sbDodajProjektClick();
    void sbUsunProjektClick();
    void sbPobierzSciezkeKonfigaClick();
    void btnDrukujEtykieteClick();
    void btnDrukujPelneInfoClick();

private:
    void buildUi();
    void translate();
    void showList();
    void showSet();
    void showState();
    QString askForFile(const QString &title, const QString &folder, const QString &filter);

    TBarcodeBrowserContext m_context;
    TBarcodeBrowser m_browser;
    QListWidget *m_codes = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_new = nullptr;
    QLineEdit *m_config = nullptr;
    QToolButton *m_chooseConfig = nullptr;
    QListWidget *m_projects = nullptr;
    QToolButton *m_addProject = nullptr;
    QToolButton *m_removeProject = nullptr;
    QLabel *m_preview = nullptr;
    std::array<QLineEdit *, 5> m_summary {};
    std::array<QLineEdit *, 4> m_userLines {};
    QComboBox *m_port = nullptr;
    QPushButton *m_printLabel = nullptr;
    QPushButton *m_printSheet = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_close = nullptr;
};

// Creates the browser on the sets, selects the code when its set exists,
// and shows it modally.
void ShowBarcodeBrowser(const QString &code, const TBarcodeBrowserContext &context, QWidget *parent);

// The A4 sheet through the print dialog (a printer or a PDF file).
void PrintBarcodeSheet(const TBarcodeSheet &sheet, QWidget *parent);
