#pragma once

#include "job/startdialogs.h"

#include <QDialog>

class NumericEdit;
class QLabel;
class QTableWidget;

namespace job {

// The angle to turn the material after each pass of a serial cut, one row
// per project window, and the downward repetitions of the whole series
// ("fDlgSeryjne").
class SerialCutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SerialCutDialog(SerialCutContext context, QWidget *parent = nullptr);

    const SerialCutChoice &choice() const { return m_choice; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void confirm();
    void setDefaultAngles();

    SerialCutContext m_context;
    SerialCutChoice m_choice;
    QTableWidget *m_grid = nullptr;
    NumericEdit *m_repetitions = nullptr;
    NumericEdit *m_shift = nullptr;
    QLabel *m_repetitionsLabel = nullptr;
    QLabel *m_shiftLabel = nullptr;
    QLabel *m_shiftUnit = nullptr;
};

} // namespace job
