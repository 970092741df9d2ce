#pragma once

#include "model3d/model.h"

#include <QDialog>

class QLabel;

// The loaded model's file, file size, extents and box in the current length unit. It shows
// its own copy of the model record, taken when it is opened.
class TfModelInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TfModelInfo(QWidget *parent = nullptr);

    // Copies the record and fills the window in the program's current length unit.
    void setModel(const TModel &model);
    const TModel &model() const { return m_model; }

private:
    QLabel *addLabel(const QString &name, bool panel);
    void translate();

    TModel m_model;
};

// Opens the window with its top left corner at the screen point (x, y), modally, with a copy
// of the record.
void ShowModelInfo(int x, int y, const TModel &model, QWidget *parent = nullptr);
