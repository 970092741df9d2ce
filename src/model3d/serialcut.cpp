#include "model3d/serialcut.h"

#include "app/common.h"
#include "app/language.h"
#include "drawing/geometry.h"
#include "drawing/jobbytes.h"

#include <QFileInfo>

#include <utility>

QString CheckModelSize(const TModelData &model, const TSerialCutLimits &limits)
{
    const double width = limits.skala * double(model.ModelSize[0]) / 100;
    const double height = limits.skala * double(model.ModelSize[1]) / 100;
    if (!(limits.limitX >= width && limits.limitY >= height))
        return GetText(QStringLiteral("Main_window"), QStringLiteral("projektZaDuzy"));
    if (height > limits.limitY - limits.Ystolika)
        return GetText(QStringLiteral("Main_window"), QStringLiteral("projektZaDuzaWysokosc"))
            + QLatin1Char('\n') + GetText(QStringLiteral("SerialCutFrom3D"), QStringLiteral("obnizYstolika"));
    return {};
}

std::vector<double> StepAngles(double first, int counter, int count, double stepAngle)
{
    std::vector<double> angles;
    double angle = first;
    for (int step = counter; step <= count; ++step) {
        angles.push_back(angle);
        angle += stepAngle;
    }
    return angles;
}

QString StepAngleText(double angle, const QLocale &locale)
{
    return FixedText(angle, 2).replace(QLatin1Char('.'), locale.decimalPoint());
}

QString StepCaption(const QString &modelFileName, double angle, const QLocale &locale)
{
    return QFileInfo(modelFileName).completeBaseName() + QStringLiteral(" [") + StepAngleText(angle, locale)
        + QStringLiteral(" st]");
}

int StepViewTurn(double stepAngle)
{
    return int(RoundHalfEven(-2.0L * stepAngle));
}

std::vector<tfigura> StepFigures(std::vector<tfigura> contours, bool keepClosed)
{
    std::vector<tfigura> figures;
    for (tfigura &contour : contours) {
        if (!contour.serialMark || keepClosed)
            figures.push_back(std::move(contour));
    }
    return figures;
}

TProjectDocument MakeStepDocument(std::vector<tfigura> figures, const TProjectSettings &settings,
                                  int passNumber)
{
    TProjectDocument document;
    document.setSettings(settings);
    document.ReaderKind = 1;
    for (tfigura &figure : figures)
        document.AddFigure(std::move(figure));
    document.Ustaw_PPiPK();
    document.ProjectWidth = document.PK.x - document.PP.x;
    document.ProjectHeight = document.PK.y - document.PP.y;
    if (!document.Figures.empty()) {
        tfigura &first = document.Figures.front();
        first.projectCorner = document.PP;
        document.SingleOpenFigure = document.Figures.size() == 1
            && !PointsWithinTolerance(first.points.front(), first.points.back(), settings.tolerance);
    }
    document.PassNumber = passNumber;
    document.MaxDepth = 0;
    document.SelectedFigure = -1;
    return document;
}
