#pragma once

// Face meshes of DXF files as triangles: 3DFACE entities, polyface-mesh POLYLINEs and INSERTs
// of blocks holding them, in world coordinates of the file's own unit. Other entities give
// nothing. A file that breaks off, names what it does not define or holds a number that does
// not convert gives no triangles at all.

#include "drawing/geometry.h"
#include "model3d/dxfinsertcount.h"
#include "model3d/model.h"
#include "model3d/modelinput.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// The group pairs of a whole DXF text, each a group code and where its value lies in the
// text: a million-face file is some 16 million pairs, so no pair holds a string of its own.
class TDxfReader
{
public:
    enum class State { Ready, Unusable, Cancelled };
    // Codes that are not written as a plain decimal number ("010", "+10", "-1") match no code
    // the converter asks for, exactly as their text would not.
    static constexpr int OtherCode = -1;

    explicit TDxfReader(std::string_view text, const TStopRequest &stop = {});

    State state() const { return m_state; }
    std::size_t count() const { return m_pairs.size(); }
    // Moves the cursor to the next pair; false, with the cursor kept, after the last one.
    bool Next();
    // Moves the cursor to a pair (-1: before the first).
    void Seek(std::ptrdiff_t index);
    std::ptrdiff_t cursor() const { return m_cursor; }

    int code() const { return m_pairs[std::size_t(m_cursor)].code; }
    std::string_view value() const { return valueAt(std::size_t(m_cursor)); }
    int codeAt(std::size_t index) const { return m_pairs[index].code; }
    std::string_view valueAt(std::size_t index) const;
    bool is(int code, std::string_view value) const { return this->code() == code && this->value() == value; }

private:
    struct Pair
    {
        std::uint32_t offset; // of the trimmed value in the text
        std::uint16_t length; // LongValue: found again from the offset
        std::int16_t code;
    };
    static constexpr std::uint16_t LongValue = 0xFFFF;

    std::string_view m_text;
    std::vector<Pair> m_pairs;
    std::ptrdiff_t m_cursor = -1;
    State m_state = State::Ready;
};

// The object-to-world transform of DXF's arbitrary-axis rule for one extrusion vector N,
// held as a 4 x 4 matrix of rows (Ax, 0), (Ay, 0), (N, 0), (0, 0, 0, 1).
class TConvOCS2WCS
{
public:
    using Matrix = std::array<double, 16>;

    TConvOCS2WCS() { Reset(); }

    // False, leaving the transform as it was, for an extrusion whose object axes do not exist
    // (a zero vector, or one too large for a float product).
    bool SetExtrusion(TPoint3F n);
    void SetMatrix(const Matrix &matrix) { m_matrix = matrix; }
    const Matrix &matrix() const { return m_matrix; }
    TPoint3F Transform(TPoint3F p) const;
    void Reset();

    static TPoint3F RotateZ(TPoint3F p, double cosA, double sinA);
    static TPoint3F Multiply(TPoint3F a, TPoint3F b);
    static TPoint3F Add(TPoint3F a, TPoint3F b);

private:
    Matrix m_matrix {};
};

class TDxf2RawConverter
{
public:
    // Blocks inserted inside blocks: the depth whose further INSERTs are dropped.
    static constexpr int MaxInsertDepth = 10;

    explicit TDxf2RawConverter(std::string_view text, const TStopRequest &stop = {},
                               std::size_t maxTriangles = MaxModelTriangles);
    TDxf2RawConverter(const TDxf2RawConverter &) = delete;
    TDxf2RawConverter &operator=(const TDxf2RawConverter &) = delete;

    // Fills the triangle list; on anything but Complete the list is empty. A block inserted
    // outside blocks that would expand beyond the triangle cap, or beyond the pairs the
    // conversion may read, is refused before it is expanded.
    TModelReadEnd Execute();
    std::vector<TRawTriangle> TakeTriangles() { return std::move(m_triangles); }

private:
    struct TInsertLevel
    {
        TPoint3F insertion;
        TPoint3F scale {1, 1, 1};
        TPoint3F extrusion {0, 0, 1};
        double rotation = 0; // degrees
        double cosA = 1, sinA = 0;
        std::ptrdiff_t returnPosition = -1;
        std::ptrdiff_t block = -1; // the pair index of its BLOCK, for cycles
        TConvOCS2WCS::Matrix matrix {};
    };
    // Ends the conversion from anywhere inside it.
    struct Stop
    {
        TModelReadEnd end;
    };

    void next();
    void back();
    void readSection();
    void passSection();
    void readBlocks();
    void readEntities();
    void dispatchEntity();
    void readPolyline();
    void readVertex();
    void readFace();
    void readInsert();
    void readBlockBody(std::ptrdiff_t blockIndex);
    bool onInsertStack(std::ptrdiff_t blockIndex) const;
    bool mayNest(std::ptrdiff_t blockIndex);
    const TDxfBlockSummary &summary(std::ptrdiff_t blockIndex);
    void refuseBeyondLimits(std::ptrdiff_t blockIndex);

    float numberValue() const;
    bool readCoordinate(int first, int step, TPoint3F &point) const;
    TPoint3F meshVertex() const;
    TPoint3F toWorld(TPoint3F p);
    void append(TPoint3F a, TPoint3F b, TPoint3F c);

    TDxfReader m_reader;
    TStopRequest m_stop;
    TStopPoll m_stopRequested {m_stop};
    std::size_t m_maxTriangles;
    std::size_t m_reads = 0;
    std::size_t m_readBudget = 0;
    TConvOCS2WCS m_transform;
    std::vector<TPoint3F> m_vertices; // of the polyface mesh being read, in world
    std::vector<TRawTriangle> m_triangles;
    std::unordered_map<std::string_view, std::ptrdiff_t> m_blocks;
    std::array<TInsertLevel, MaxInsertDepth> m_levels {};
    int m_depth = 0;
    // While a block is summarised, the entity readers count into it and convert nothing.
    TDxfBlockSummary *m_summary = nullptr;
    std::unordered_map<std::ptrdiff_t, TDxfBlockSummary> m_summaries;
    std::ptrdiff_t m_lastNestedInsert = -2; // -2: not looked for yet
    TDxfInsertCount m_count;
};
