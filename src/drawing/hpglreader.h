#pragma once

#include "drawing/figure.h"
#include "drawing/readerror.h"

#include <array>
#include <cstdint>
#include <string_view>

// Reader of HPGL plot files. HPGL coordinates are plotter units as they
// stand (one HPGL unit is 0.025 mm). Each call gives one pen-down stroke: it
// begins where "PD" (or "C") puts the pen down and ends at "PU", "M", a pen
// change "SP" while the pen is down, or the end of the file.
//
// The tokenizer keeps one command of look-ahead between calls. Label text
// ("LB" up to the label terminator) and printer escape sequences are
// skipped, so their letters never act as commands.
class THpglReader
{
public:
    static constexpr int PenCount = 257; // pens 0..256

    explicit THpglReader(std::string_view data);

    // Reads the next stroke into an empty figure and finishes it (box, open
    // flag, valid flag). False on a conversion error, described in error.
    bool ReadFigure(tfigura &figure, TReadError &error);
    bool atEnd() const { return !m_pending && m_look.kind == TokenKind::End; }

    int pen() const { return m_pen; }
    double penWidth(int pen) const;

private:
    enum class TokenKind { Command, Number, End };
    struct Token
    {
        TokenKind kind = TokenKind::End;
        std::string_view text;
        std::size_t offset = 0;
    };

    Token nextToken();
    void skipEscape();
    void skipLabel();
    void readLabelTerminator();
    bool readCommand(TReadError &error);
    bool readSecondParameter(TReadError &error);
    bool process(tfigura &figure, TReadError &error);
    bool target(bool relative, TPlotPoint &point, TReadError &error) const;
    void drawTo(tfigura &figure, TPlotPoint point);
    bool conversionError(TReadError &error, const Token &token) const;

    std::string_view m_data;
    std::size_t m_pos = 0;
    Token m_look;

    // The command read last and not yet acted on.
    bool m_pending = false;
    std::uint16_t m_mnemonic = 0;
    std::size_t m_commandOffset = 0;
    int m_count = 0;
    bool m_firstIsReal = false; // first parameter of a command (real) or of a further pair (integer)
    double m_real1 = 0.0;
    std::int32_t m_int1 = 0;
    std::int32_t m_int2 = 0;

    TPlotPoint m_position; // the one absolute pen position
    bool m_relative = false;
    bool m_penDown = false;
    bool m_complete = false;
    int m_pen = 0;
    char m_labelTerminator = '\x03';
    std::array<double, PenCount> m_penWidths {};
};
