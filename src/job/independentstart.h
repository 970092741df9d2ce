#pragma once

// Where the block of material lies between the two carriages of an
// independent-profile cut, and the paths the carriages must follow for it:
// the front and back profiles describe the cut on the material's two faces,
// so each pair of points is extended along the wire onto the two carriage
// planes.

#include "job/startdialogs.h"

#include <QString>

#include <optional>
#include <vector>

namespace job {

// The first refusal of the inputs ("Independent_start_dialog" key); nothing
// when they pass. The material may be as wide as the arm spacing and may
// reach exactly to the machine's width.
std::optional<QString> CheckIndependentInputs(const IndependentInputs &inputs, double fcWidth);

// The projected paths, plotter units, with their extremes over both paths in
// mm rounded to 0.01 mm.
struct ProjectedPaths
{
    std::vector<JobPoint> front; // on the front carriage plane
    std::vector<JobPoint> back; // on the back carriage plane
    double minX = 0;
    double maxX = 0;
    double minY = 0;
    double maxY = 0;
};

// Point k of the front profile lies on the material's front face, point k of
// the back profile on its back face; the inputs must have passed their checks.
ProjectedPaths ProjectProfiles(const std::vector<JobPoint> &front, const std::vector<JobPoint> &back,
                               const IndependentInputs &inputs);

// How the projected paths fit the machine from where the wire stands.
struct PathFit
{
    enum class Kind { Fits, TooLarge, Outside };
    Kind kind = Kind::Fits;
    JobMessage message; // TooLarge: the refusal; Outside: the offer to move the wire
    double moveX = 0; // Outside: where to move both wire ends, mm
    double moveY = 0;
};
PathFit CheckProjectedPaths(const ProjectedPaths &paths, const IndependentStartContext &context);

// The dialog's logic: what it shows at opening and what a confirmation does.
class IndependentStartForm
{
public:
    explicit IndependentStartForm(IndependentStartContext context);

    const IndependentStartContext &context() const { return m_context; }
    // The fields at opening; the material fields never above the spacing.
    IndependentInputs initialInputs() const;
    // The largest material width and front distance.
    double materialMaximum() const { return m_context.armSpacing; }

    enum class Step {
        Stay, // refused: show the message, the dialog stays open
        AskMove, // ask whether to move the wire (Yes: close with the move)
        Close, // close with Start
    };
    struct Outcome
    {
        Step step = Step::Stay;
        JobMessage message;
    };
    Outcome confirm(const IndependentInputs &inputs);
    // The operator agreed to the move the last confirmation offered.
    void acceptMove();

    // What the dialog hands back; Cancel until it closes otherwise.
    const IndependentStartAnswer &answer() const { return m_answer; }

private:
    IndependentStartContext m_context;
    IndependentStartAnswer m_answer;
    PathFit m_lastFit;
};

} // namespace job
