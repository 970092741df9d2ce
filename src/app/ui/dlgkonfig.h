#pragma once

#include "app/konfig.h"

#include <QDialog>
#include <QHash>

#include <functional>

class NumericEdit;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QTabWidget;

// The configuration dialog. It edits the working copy of the configuration
// store (`Konfig`); OK makes it the program's settings, Cancel restores the
// snapshot taken when the dialog opened. Every control is named after the
// setting it edits.
class TDlgkonfig : public QDialog
{
    Q_OBJECT
public:
    // The running program: its folders, switches and machine.
    explicit TDlgkonfig(QWidget *parent = nullptr);
    TDlgkonfig(ProgramFolders folders, KonfigOptions options, MachineIdentity &machine, QWidget *parent = nullptr);
    ~TDlgkonfig() override;

    Konfig &konfig() { return m_konfig; }

    // Machine configuration files, also used by the barcode sets. False when
    // the file was refused (the reason is shown) and nothing changed.
    bool LoadKonfig(const QString &path);
    void SaveKonfig(const QString &path);

    // Captions from the language file.
    void translate();

    void done(int result) override;

    // Controls by setting or control name (tests and the main window).
    QWidget *control(const QString &name) const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setUp();
    MachineIdentity &machine() const { return m_konfig.machine(); }
    void buildUi();
    QWidget *buildWorkPage();
    QWidget *buildPlotterPage();
    QWidget *buildSerialPage();
    QWidget *buildRotaryPage();
    QWidget *buildOtherPage();
    QWidget *makeControl(const QString &name);
    QLabel *makeLabel(const QString &name);
    void addRow(class QGridLayout *grid, const QString &label, const QString &setting, const QString &unitLabel);

    void FormActivate();
    void loadWidgets();
    void applyActivation(const KonfigRules::Activation &activation);
    void setEnabled(const QStringList &names, KonfigRules::Enable enable);
    void reserveUnitLabelWidths();
    void updateUnitLabels();
    void updatePowerLabel();
    void updateModeHint();
    void rgAlgorytmObrotowegoClick();
    void numberChanged(const QString &name, double value);
    void commitFields();
    void readPositions(const QString &xField, const QString &yField, const QString &zField);
    void zapisClick();
    void OdczytClick();
    void showMessages(const std::vector<KonfigMessage> &messages);
    QString text(const QString &key) const;

    Konfig m_konfig;
    QTabWidget *m_tabs = nullptr;
    QHash<QString, QButtonGroup *> m_radioGroups;
    bool m_updating = false;
};
