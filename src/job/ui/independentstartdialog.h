#pragma once

#include "job/independentstart.h"

#include <QDialog>
#include <QTimer>

class NumericEdit;

namespace job {

// Where the block of material lies between the two carriages ("fFigNaMat"):
// arm spacing, material width and the material's distance from the front
// carriage. Start checks them and the projected paths; it closes with the
// paths, with a wanted move of the wire, or stays open for a correction.
class IndependentStartDialog : public QDialog
{
    Q_OBJECT
public:
    explicit IndependentStartDialog(IndependentStartContext context, QWidget *parent = nullptr);

    const IndependentStartAnswer &answer() const { return m_form.answer(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void confirm();
    IndependentInputs inputs() const;

    IndependentStartForm m_form;
    NumericEdit *m_spacing = nullptr;
    NumericEdit *m_width = nullptr;
    NumericEdit *m_distance = nullptr;
    QTimer m_timer;
};

} // namespace job
