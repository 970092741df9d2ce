#pragma once

#include "model3d/serialcutgenerator.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class TFltEdit;
class TProjectWindowHost;
class TRAWview;

// What the serial-cut window takes from the program around it.
struct TGenSerHooks
{
    TSerialCutContext context;
    // The cut is complete: `Mode` 2 and whether to cut the model off its base at the end.
    std::function<void(bool cutOffAtEnd)> serialCutReady;
    // The open dialog; empty: a file dialog.
    std::function<QString(const QString &title, const QString &folder, const QString &filter)>
        askForModelFile;
};

// The serial-cut window: the model file, its view, the number of steps, the options, and
// Generate; the generator behind it does the work.
class TfGenSer : public QDialog, private ISerialCutWindow
{
    Q_OBJECT
public:
    TfGenSer(TProjectWindowHost &projects, TGenSerHooks hooks, QWidget *parent = nullptr);
    ~TfGenSer() override;

    TSerialCutGenerator &generator() { return *m_generator; }
    TRAWview *view() const { return m_view; }
    QString statusText(int panel) const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void translate();
    void connectControls();
    void setBold(QWidget *label, bool bold);

    // ISerialCutWindow
    void applyControls(const TGenSerControls &controls) override;
    void setStatus(int panel, const QString &text) override;
    void showFileName(const QString &fileName) override;
    void setProgress(int value, int maximum) override;
    void showModel(const ModelHandle &model) override;
    void resetView() override;
    void turnView(int dx) override;
    QString askForModelFile(const QString &title, const QString &folder, const QString &filter) override;
    bool askToContinue(const QString &text) override;
    void showModelInfo(const TModel &record) override;
    void closeWindow() override;
    void closeAllProjects() override;
    int createStepProject(const QString &caption, TProjectDocument document) override;
    void planStepProject(int handle) override;
    void tileProjects() override;
    void serialCutReady(bool cutOffAtEnd) override;

    TProjectWindowHost &m_projects;
    TGenSerHooks m_hooks;
    QLabel *m_panels[3] = {nullptr, nullptr, nullptr};
    QProgressBar *m_progress = nullptr;
    QLabel *m_fileLabel = nullptr;
    QLineEdit *m_file = nullptr;
    QPushButton *m_fileButton = nullptr;
    QPushButton *m_infoButton = nullptr;
    TRAWview *m_view = nullptr;
    QLabel *m_stepsLabel = nullptr;
    TFltEdit *m_steps = nullptr;
    QCheckBox *m_cutOff = nullptr;
    QCheckBox *m_closeWhenDone = nullptr;
    QCheckBox *m_keepClosed = nullptr;
    QPushButton *m_generate = nullptr;
    QPushButton *m_cancel = nullptr;
    // Last: its workers and reader end before the controls they report to go.
    std::unique_ptr<TSerialCutGenerator> m_generator;
};

// Opens the window modally with its lower right corner at the screen point (x, y), kept on
// the screen.
void ShowSerialCutFrom3D(int x, int y, TProjectWindowHost &projects, TGenSerHooks hooks,
                         QWidget *parent = nullptr);
