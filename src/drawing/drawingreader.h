#pragma once

#include "drawing/figure.h"
#include "drawing/readerror.h"

#include <cstdint>
#include <memory>
#include <string>

class TDxfReader;
class TEpsReader;
class THpglReader;

// The reader kind given to Thpgl::Open, kept by each project window.
enum class TDrawingKind : std::int32_t {
    Hpgl = 1,
    Dxf = 2,
    Eps = 3,
};

// Settings the readers need, handed over as plain values when a reader is
// made (the program copies them from its settings).
struct TReaderOptions
{
    int lengthUnit = 0; // unit of DXF coordinates: 0 mm, 1 inch, 2 foot
    double minimumChordMm = 2.0; // shortest chord of a flattened curve
};

// The drawing reader: one object per load. Open a drawing, call ReadFigure
// with a new figure until EndOfFile(), then Close (or let it go). It gives
// figures to its caller and knows nothing of project windows. The whole
// file is read into memory at Open.
class Thpgl
{
public:
    // Open results besides 0 and an I/O error code (errno).
    static constexpr int NotPostScript = -2;
    // A UTF-16 text (either byte order) or a binary DXF: the readers take
    // 8-bit text only.
    static constexpr int UnsupportedFormat = -3;

    explicit Thpgl(TReaderOptions options = {});
    ~Thpgl();
    Thpgl(const Thpgl &) = delete;
    Thpgl &operator=(const Thpgl &) = delete;

    // 0 when the drawing is open; the I/O error code when the file cannot be
    // opened or read; NotPostScript for an EPS file that does not begin
    // with "%!PS"; UnsupportedFormat for a text the readers cannot read. A
    // kind that is none of the three opens nothing and gives 0.
    int Open(const std::string &fileName, TDrawingKind kind);
    // The same for a drawing already in memory.
    int OpenText(std::string text, TDrawingKind kind);
    void Close();

    // Reads the next figure into the given empty figure and finishes it
    // (box, open flag, valid flag). An empty figure (valid false) may come
    // back; the caller drops it. False when the drawing cannot be read on
    // (see error()); the figures read before stay good.
    bool ReadFigure(tfigura &figure);
    bool EndOfFile() const;
    const TReadError &error() const { return m_error; }

    TDrawingKind kind() const { return m_kind; }
    // The HPGL pen table (pens 0..256): widths set by "PW", 0.0 otherwise.
    double PenWidth(int pen) const;

private:
    TReaderOptions m_options;
    TDrawingKind m_kind = TDrawingKind::Hpgl;
    bool m_open = false;
    std::string m_text;
    TReadError m_error;
    std::unique_ptr<THpglReader> m_hpgl;
    std::unique_ptr<TDxfReader> m_dxf;
    std::unique_ptr<TEpsReader> m_eps;
};
