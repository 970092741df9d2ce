#pragma once

#include "project/duplication.h"

#include <QDialog>

#include <map>

class NumericEdit;
class QLabel;
class QLineEdit;
class TMDIChild;
class TProjectWindowHost;

// The duplication dialog over the active project: it shows the source,
// edits the parameters kept beside the drawing, and on Generate opens the
// grid of copies as a new project window.
class TfParDup : public QDialog
{
    Q_OBJECT
public:
    TfParDup(TMDIChild &source, TProjectWindowHost &host, QWidget *parent = nullptr);

    TDuplicationParams parameters() const;
    void setParameters(const TDuplicationParams &params);
    const QString &parameterFile() const { return m_parameterFile; }
    // The handle of the generated window, -1 before Generate.
    int generatedWindow() const { return m_generated; }

    void btnZatwierdzClick();
    void btnParDomyslneClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Translate();
    void TntFormActivate();
    NumericEdit *addField(class QGridLayout *grid, int row, const char *name,
                          std::initializer_list<const char *> labels, bool length);
    void ShowTotals();
    NumericEdit *field(TDuplicationField which) const;

    TMDIChild &m_source;
    TProjectWindowHost &m_host;
    TDuplicationSource m_size;
    QString m_parameterFile;
    int m_unit = 0;
    int m_generated = -1;
    std::map<QObject *, std::vector<QLabel *>> m_fieldLabels;
};

// Opens the dialog modally for a planned project; an unplanned one is
// refused with a message, since the copies are joined from its start point.
void ShowDuplicationDialog(TMDIChild &source, TProjectWindowHost &host, QWidget *parent);
