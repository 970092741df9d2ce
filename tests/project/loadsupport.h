#pragma once

#include "drawing/figure.h"
#include "project/drawingsource.h"

#include <map>
#include <string>
#include <vector>

// A figure as the drawing reader hands it over: the points, the pen, and the
// reader's own open flag (first and last point compared exactly).
tfigura ReaderFigure(std::vector<TPlotPoint> points, int pen = 1);

std::vector<TPlotPoint> PointsOf(const tfigura &figure);

// A drawing fed figure by figure, standing in for the file reader.
class TFakeDrawing : public IDrawingSource
{
public:
    TFakeDrawing() = default;
    explicit TFakeDrawing(std::vector<tfigura> figures)
        : m_figures(std::move(figures))
    { }

    int openCode = 0;
    // Index of the read that fails with a conversion error, -1 none.
    int failAt = -1;
    int failLine = 0;
    TReadError::Kind failKind = TReadError::Kind::Conversion;
    std::map<int, double> penWidths;
    // Calls that deliver no figure before each figure, as readers may.
    bool emptyReadsBetween = false;

    std::string openedName;
    int openedKind = -1;
    bool closed = false;

    int Open(const std::string &fileName, int readerKind) override;
    bool ReadFigure(tfigura &figure) override;
    bool EndOfFile() const override;
    double PenWidth(int pen) const override;
    TReadError ReadError() const override;
    void Close() override { closed = true; }

private:
    std::vector<tfigura> m_figures;
    std::size_t m_next = 0;
    int m_reads = 0;
    bool m_emptyPending = true;
};

// The loading rules written out as plain list scans, one figure at a time: the
// reference the indexed loader must match exactly.
std::vector<tfigura> DirectCollect(const std::vector<tfigura> &incoming, double tolerance, bool crossToPoint);
