#pragma once

#include "job/startdialogs.h"

#include <QDialog>

class NumericEdit;

namespace job {

// The start points of the front and the side wire ("fQ7StartDlg"), each
// checked against its work area with its window's margins.
class PerpendicularStartDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PerpendicularStartDialog(PerpendicularStartContext context, QWidget *parent = nullptr);

    // The points confirmed with Start.
    const PerpendicularStart &points() const { return m_points; }

private:
    void confirm();

    PerpendicularStartContext m_context;
    PerpendicularStart m_points;
    NumericEdit *m_fx = nullptr;
    NumericEdit *m_fy = nullptr;
    NumericEdit *m_bx = nullptr;
    NumericEdit *m_by = nullptr;
};

} // namespace job
