#pragma once

// The merged window of an independent-profile cut: the front and the back
// profile become one pair of closed figures with equal vertex counts, so
// that vertex k of the front figure and vertex k of the back figure are
// reached at the same moment of the cut.

#include "drawing/figure.h"
#include "project/pathrecord.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class TProjectDocument;
struct TPaintSettings;

namespace job {

// The two wire paths paired run by run: where the runs have the same number
// of steps their points are taken as they are; otherwise every inner point
// of one run is placed on the other at the same fraction of its length.
// Points closer than 0.5 mm to their successor on both figures are dropped.
// The front figure has pen 4, the back figure pen 3; both are closed with
// their vertex records rebuilt. Nothing when the paths are empty or hold
// different numbers of runs.
std::optional<std::pair<tfigura, tfigura>> PairWirePaths(std::vector<TPathRecord> front,
                                                         std::vector<TPathRecord> back);

// The merged document's content before it is put in place.
struct MergedProfiles
{
    tfigura front;
    tfigura back;
    TPlotPoint minCorner; // PP of both windows
    TPlotPoint maxCorner; // PK of both windows
    std::int32_t width = 0;
    std::int32_t height = 0;
    double pathLength = 0;
};

struct MergeOutcome
{
    std::optional<MergedProfiles> merged;
    std::string refusalKey; // "Main_window" key when nothing was merged
};

// Records the wire path of the front and the back window and pairs them,
// the runs of each alternating between the way to a figure (connectors, of no
// length where the figure is entered where the wire stands) and the figure.
// Refused when the windows hold different numbers of figures
// ("VqiloscFigurJednakowa") or their paths do not pair ("VqsciezkiRozne").
MergeOutcome MergeProfiles(TProjectDocument &front, TProjectDocument &back, const TPaintSettings &settings);

// Puts the pair into the merged document, shifted so that its minimum corner
// is (0, 0), marked as planned paired profiles.
void PlaceMergedProfiles(TProjectDocument &merged, MergedProfiles profiles);

} // namespace job
