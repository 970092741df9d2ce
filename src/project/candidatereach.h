#pragma once

// The pending figures of a strategy by how far their best pair still reaches:
// each figure's box and the largest squared gap at which a joined figure
// could still offer it a better pair. A tree over the boxes, each node with
// the largest reach below it, finds the figures a newly joined one comes
// within reach of, instead of asking every pending figure.

#include "project/boxgrid.h"

#include <cstdint>
#include <limits>
#include <vector>

class CandidateReach
{
public:
    static constexpr std::int64_t Everywhere = std::numeric_limits<std::int64_t>::max();
    static constexpr std::int64_t Nowhere = -1;

    // figures: the pending figures, each with its box (by figure index in
    // boxes); every reach starts Everywhere.
    CandidateReach(const std::vector<int> &figures, const std::vector<PlanBox> &boxes);

    // A figure's reach only ever shrinks; Nowhere once it is joined.
    void setReach(int figure, std::int64_t reach);

    // Appends every figure whose reach the box comes within.
    void within(const PlanBox &box, std::vector<int> &out) const;

private:
    struct Node
    {
        PlanBox box;
        std::int64_t reach = Everywhere;
        std::int32_t left = -1; // children; a leaf holds one figure
        std::int32_t right = -1;
        std::int32_t parent = -1;
        int figure = -1;
    };

    std::int32_t build(std::vector<int> &figures, std::size_t begin, std::size_t end,
                       const std::vector<PlanBox> &boxes, std::int32_t parent);
    void within(std::int32_t node, const PlanBox &box, std::vector<int> &out) const;

    std::vector<Node> m_nodes;
    std::vector<std::int32_t> m_leafOf; // by figure index, -1 for none
};
