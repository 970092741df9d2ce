#pragma once

#include "project/jobinfo.h"

#include <QDialog>

class QLabel;

// The job information window: a project's file, the configuration, the
// project's sizes, the length of the wire path and the estimated cutting
// time, worked out when it is shown for one project window.
class Tinfoform : public QDialog
{
    Q_OBJECT
public:
    explicit Tinfoform(QWidget *parent = nullptr);

    void FormCreate();
    // Fills the values for the project and the current settings. Without
    // new totals (perpendicular profiles) the last ones stay.
    void showValues(const TJobInfoProject &project, const QString &configurationCaption,
                    const TJobInfoSettings &settings);
    void showModal(const TJobInfoProject &project, const QString &configurationCaption,
                   const TJobInfoSettings &settings);

    QString valueText(const char *name) const;

private:
    QLabel *label(const char *name) const;
};
