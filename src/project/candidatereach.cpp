#include "project/candidatereach.h"

#include <algorithm>

CandidateReach::CandidateReach(const std::vector<int> &figures, const std::vector<PlanBox> &boxes)
{
    std::vector<int> items;
    for (int f : figures) {
        if (!boxes[static_cast<std::size_t>(f)].empty())
            items.push_back(f);
    }
    m_leafOf.assign(boxes.size(), -1);
    if (items.empty())
        return;
    m_nodes.reserve(2 * items.size());
    build(items, 0, items.size(), boxes, -1);
}

std::int32_t CandidateReach::build(std::vector<int> &figures, std::size_t begin, std::size_t end,
                                   const std::vector<PlanBox> &boxes, std::int32_t parent)
{
    const auto index = static_cast<std::int32_t>(m_nodes.size());
    m_nodes.emplace_back();
    m_nodes.back().parent = parent;
    PlanBox box;
    for (std::size_t k = begin; k < end; ++k) {
        const PlanBox &b = boxes[static_cast<std::size_t>(figures[k])];
        box.add(b.minX, b.minY);
        box.add(b.maxX, b.maxY);
    }
    m_nodes[static_cast<std::size_t>(index)].box = box;
    if (end - begin == 1) {
        m_nodes[static_cast<std::size_t>(index)].figure = figures[begin];
        m_leafOf[static_cast<std::size_t>(figures[begin])] = index;
        return index;
    }
    // Halves across the longer side of the box, by box centre.
    const bool alongX = box.maxX - box.minX >= box.maxY - box.minY;
    const std::size_t middle = begin + (end - begin) / 2;
    std::nth_element(figures.begin() + static_cast<std::ptrdiff_t>(begin),
                     figures.begin() + static_cast<std::ptrdiff_t>(middle),
                     figures.begin() + static_cast<std::ptrdiff_t>(end), [&](int l, int r) {
                         const PlanBox &a = boxes[static_cast<std::size_t>(l)];
                         const PlanBox &b = boxes[static_cast<std::size_t>(r)];
                         return alongX ? a.minX + a.maxX < b.minX + b.maxX
                                       : a.minY + a.maxY < b.minY + b.maxY;
                     });
    const std::int32_t left = build(figures, begin, middle, boxes, index);
    const std::int32_t right = build(figures, middle, end, boxes, index);
    m_nodes[static_cast<std::size_t>(index)].left = left;
    m_nodes[static_cast<std::size_t>(index)].right = right;
    return index;
}

void CandidateReach::setReach(int figure, std::int64_t reach)
{
    if (figure < 0 || static_cast<std::size_t>(figure) >= m_leafOf.size())
        return;
    std::int32_t node = m_leafOf[static_cast<std::size_t>(figure)];
    if (node < 0 || m_nodes[static_cast<std::size_t>(node)].reach == reach)
        return;
    m_nodes[static_cast<std::size_t>(node)].reach = reach;
    // Up the tree while the largest reach below a node changes.
    for (node = m_nodes[static_cast<std::size_t>(node)].parent; node >= 0;
         node = m_nodes[static_cast<std::size_t>(node)].parent) {
        Node &n = m_nodes[static_cast<std::size_t>(node)];
        const std::int64_t largest = std::max(m_nodes[static_cast<std::size_t>(n.left)].reach,
                                              m_nodes[static_cast<std::size_t>(n.right)].reach);
        if (largest == n.reach)
            break;
        n.reach = largest;
    }
}

void CandidateReach::within(const PlanBox &box, std::vector<int> &out) const
{
    if (!m_nodes.empty() && !box.empty())
        within(0, box, out);
}

void CandidateReach::within(std::int32_t node, const PlanBox &box, std::vector<int> &out) const
{
    const Node &n = m_nodes[static_cast<std::size_t>(node)];
    if (n.reach < 0 || (n.reach != Everywhere && BoxGapSquared(n.box, box) > n.reach))
        return;
    if (n.figure >= 0) {
        out.push_back(n.figure);
        return;
    }
    within(n.left, box, out);
    within(n.right, box, out);
}
