#pragma once

#include "drawing/drawingreader.h"
#include "drawing/figure.h"
#include "drawing/readerror.h"

#include <string>

// What loading needs of a drawing reader: open, one figure per call until the
// end of the drawing, the pen widths it read, close. The program's reader is
// adapted to it; tests feed figures directly.
class IDrawingSource
{
public:
    virtual ~IDrawingSource() = default;

    // 0 when the drawing is open; otherwise the reader's code (-2 an
    // Illustrator/EPS file that is not PostScript, 32 a file in use...).
    virtual int Open(const std::string &fileName, int readerKind) = 0;
    // Reads the next figure into the given empty one. False when the drawing
    // cannot be read on; ReadError() then says why and where.
    virtual bool ReadFigure(tfigura &figure) = 0;
    virtual bool EndOfFile() const = 0;
    // The width the drawing gave the pen, or the reader's default.
    virtual double PenWidth(int pen) const = 0;
    virtual TReadError ReadError() const = 0;
    virtual void Close() = 0;
};

// The program's drawing reader (HPGL, DXF, Illustrator/EPS) as a source.
class THpglSource : public IDrawingSource
{
public:
    explicit THpglSource(TReaderOptions options = {})
        : m_reader(options)
    { }

    int Open(const std::string &fileName, int readerKind) override
    {
        return m_reader.Open(fileName, static_cast<TDrawingKind>(readerKind));
    }
    bool ReadFigure(tfigura &figure) override { return m_reader.ReadFigure(figure); }
    bool EndOfFile() const override { return m_reader.EndOfFile(); }
    double PenWidth(int pen) const override { return m_reader.PenWidth(pen); }
    TReadError ReadError() const override { return m_reader.error(); }
    void Close() override { m_reader.Close(); }

private:
    Thpgl m_reader;
};
