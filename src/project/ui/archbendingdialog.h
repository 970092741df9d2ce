#pragma once

#include <QDialog>

class NumericEdit;
class QSlider;
class TMDIChild;
class TProjectWindowHost;

// The arch-bending dialog over the active project: the notch depth (the
// board's thickness) and the reduction ratio; Generate opens the notched
// strip as a new project window. When the notches overlap the window says
// so in its caption and the dialog stays open for other values.
class TfZaginacz : public QDialog
{
    Q_OBJECT
public:
    TfZaginacz(TMDIChild &source, TProjectWindowHost &host, QWidget *parent = nullptr);

    NumericEdit *depthField() const { return m_depth; }
    QSlider *ratioSlider() const { return m_ratio; }
    // The handle of the window last generated, -1 before Generate.
    int generatedWindow() const { return m_generated; }

    void btnGenerujClick();

private:
    void Translate();

    TMDIChild &m_source;
    TProjectWindowHost &m_host;
    NumericEdit *m_depth = nullptr;
    QSlider *m_ratio = nullptr;
    int m_generated = -1;
};

void ShowProfileBenderDialog(TMDIChild &source, TProjectWindowHost &host, QWidget *parent);
