#pragma once

// The pieces of a serial cut from a model that need no window: the size check, the steps'
// angles and captions, and the project a step's contours become.

#include "drawing/figure.h"
#include "model3d/model.h"
#include "project/projectdocument.h"

#include <QLocale>
#include <QString>

#include <vector>

// What the size check reads: the configuration's scale (percent) and table height (mm), and
// the machine's travel (mm).
struct TSerialCutLimits
{
    double skala = 100;
    double Ystolika = 250;
    double limitX = 1200;
    double limitY = 800;
};

// The message that refuses a model too wide or too high for the machine, or too high for the
// table's position; empty when the model fits.
QString CheckModelSize(const TModelData &model, const TSerialCutLimits &limits);

// The angle of every step from `counter` to `count`: `first` for step `counter`, then each
// the one before plus `stepAngle`, added up as one step after another would.
std::vector<double> StepAngles(double first, int counter, int count, double stepAngle);

// The angle with two decimals and the locale's decimal point.
QString StepAngleText(double angle, const QLocale &locale = QLocale());
// "<model file name without folder and extension> [<angle> st]".
QString StepCaption(const QString &modelFileName, double angle, const QLocale &locale = QLocale());

// How far the view turns after a step: round(-2 * step angle) pixels of a horizontal drag,
// which at 0.5 degree per pixel turns the shown model by minus the step angle.
int StepViewTurn(double stepAngle);

// The figures a step's project gets: its open contours, and its closed ones when kept.
std::vector<tfigura> StepFigures(std::vector<tfigura> contours, bool keepClosed);

// The project of one step, ready for the flat planner: the figures with their parameters,
// corners and sizes, the first figure's reference point at the minimum corner, the pass
// number, nothing selected.
TProjectDocument MakeStepDocument(std::vector<tfigura> figures, const TProjectSettings &settings,
                                  int passNumber);
