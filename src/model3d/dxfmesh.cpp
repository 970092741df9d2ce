#include "model3d/dxfmesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace {

// Group codes and values are trimmed of blanks and control characters.
bool isTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

// A code written as a plain decimal number: digits without a leading zero (but "0").
int codeOf(std::string_view text)
{
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text.front() == '0'))
        return TDxfReader::OtherCode;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return TDxfReader::OtherCode;
        value = value * 10 + (c - '0');
    }
    return value <= std::numeric_limits<std::int16_t>::max() ? value : TDxfReader::OtherCode;
}

// Binary DXF files begin with this line; their pairs are not text.
constexpr std::string_view BinarySentinel = "AutoCAD Binary DXF";

bool isFinite(TPoint3F p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

TPoint3F cross(TPoint3F a, TPoint3F b)
{
    return {NarrowToFloat(double(a.y) * b.z - double(a.z) * b.y),
            NarrowToFloat(double(a.z) * b.x - double(a.x) * b.z),
            NarrowToFloat(double(a.x) * b.y - double(a.y) * b.x)};
}

bool normalise(TPoint3F &v)
{
    const double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (!(length > 0) || !std::isfinite(length))
        return false;
    v = {NarrowToFloat(v.x / length), NarrowToFloat(v.y / length), NarrowToFloat(v.z / length)};
    return true;
}

} // namespace

TDxfReader::TDxfReader(std::string_view text, const TStopRequest &stop)
    : m_text(text)
{
    // Offsets are 32 bits: a face mesh of 4 GB is far beyond any model that can be cut.
    if (text.size() > std::numeric_limits<std::uint32_t>::max() || text.starts_with(BinarySentinel)) {
        m_state = State::Unusable;
        return;
    }
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    TStopPoll stopRequested(stop);
    TModelLines lines(text);
    const std::size_t skipped = std::size_t(text.data() - m_text.data());
    std::string_view codeLine;
    while (lines.next(codeLine)) {
        if (stopRequested()) {
            m_state = State::Cancelled;
            m_pairs.clear();
            return;
        }
        std::string_view valueLine;
        if (!lines.next(valueLine))
            valueLine = text.substr(text.size()); // a code on the last line has an empty value
        const std::string_view value = trim(valueLine);
        Pair pair;
        pair.offset = std::uint32_t(std::size_t(value.data() - text.data()) + skipped);
        pair.length = value.size() < LongValue ? std::uint16_t(value.size()) : LongValue;
        pair.code = std::int16_t(codeOf(trim(codeLine)));
        m_pairs.push_back(pair);
    }
}

std::string_view TDxfReader::valueAt(std::size_t index) const
{
    const Pair &pair = m_pairs[index];
    if (pair.length != LongValue)
        return m_text.substr(pair.offset, pair.length);
    // A trimmed value holds no line end, so it runs to the next one.
    std::string_view rest = m_text.substr(pair.offset);
    return trim(rest.substr(0, rest.find_first_of("\r\n")));
}

bool TDxfReader::Next()
{
    if (m_cursor + 1 >= std::ptrdiff_t(m_pairs.size()))
        return false;
    ++m_cursor;
    return true;
}

void TDxfReader::Seek(std::ptrdiff_t index)
{
    m_cursor = index;
}

void TConvOCS2WCS::Reset()
{
    SetExtrusion({0, 0, 1});
}

// The arbitrary-axis rule: Ax = Wy x N when N lies within 1/64 of the world z axis in both
// x and y, else Wz x N; Ay = N x Ax. N itself is used as given, not normalised.
bool TConvOCS2WCS::SetExtrusion(TPoint3F n)
{
    constexpr double limit = 1.0 / 64;
    const TPoint3F wy {0, 1, 0};
    const TPoint3F wz {0, 0, 1};
    TPoint3F ax = std::abs(n.x) < limit && std::abs(n.y) < limit ? cross(wy, n) : cross(wz, n);
    if (!isFinite(n) || !isFinite(ax) || !normalise(ax))
        return false;
    TPoint3F ay = cross(n, ax);
    if (!isFinite(ay) || !normalise(ay))
        return false;
    m_matrix = {ax.x, ax.y, ax.z, 0, ay.x, ay.y, ay.z, 0, n.x, n.y, n.z, 0, 0, 0, 0, 1};
    return true;
}

TPoint3F TConvOCS2WCS::Transform(TPoint3F p) const
{
    const Matrix &m = m_matrix;
    const double x = p.x, y = p.y, z = p.z;
    return {NarrowToFloat(x * m[0] + y * m[4] + z * m[8] + m[12]),
            NarrowToFloat(x * m[1] + y * m[5] + z * m[9] + m[13]),
            NarrowToFloat(x * m[2] + y * m[6] + z * m[10] + m[14])};
}

TPoint3F TConvOCS2WCS::RotateZ(TPoint3F p, double cosA, double sinA)
{
    return {NarrowToFloat(p.x * cosA - p.y * sinA), NarrowToFloat(p.x * sinA + p.y * cosA), p.z};
}

TPoint3F TConvOCS2WCS::Multiply(TPoint3F a, TPoint3F b)
{
    return {NarrowToFloat(double(a.x) * b.x), NarrowToFloat(double(a.y) * b.y),
            NarrowToFloat(double(a.z) * b.z)};
}

TPoint3F TConvOCS2WCS::Add(TPoint3F a, TPoint3F b)
{
    return {NarrowToFloat(double(a.x) + b.x), NarrowToFloat(double(a.y) + b.y),
            NarrowToFloat(double(a.z) + b.z)};
}

TDxf2RawConverter::TDxf2RawConverter(std::string_view text, const TStopRequest &stop,
                                     std::size_t maxTriangles)
    : m_reader(text, stop)
    , m_stop(stop)
    , m_maxTriangles(maxTriangles)
    , m_count([this](std::ptrdiff_t block) -> const TDxfBlockSummary & { return summary(block); },
              MaxInsertDepth)
{
    // The file's own pairs are read about twice (each entity reads its closing pair again);
    // inserts may read blocks again, at most 64 pairs for each triangle the cap allows. No
    // real mesh comes near that (a 3DFACE is some 14 pairs for up to two triangles), while a
    // fan-out of blocks that insert empty blocks ends within seconds instead of running for
    // hours.
    m_readBudget = 2 * m_reader.count() + 64 * maxTriangles + 64;
}

TModelReadEnd TDxf2RawConverter::Execute()
{
    m_triangles.clear();
    if (m_reader.state() != TDxfReader::State::Ready)
        return m_reader.state() == TDxfReader::State::Cancelled ? TModelReadEnd::Cancelled
                                                                : TModelReadEnd::Failed;
    try {
        do {
            next();
            if (m_reader.is(0, "SECTION"))
                readSection();
        } while (!m_reader.is(0, "EOF"));
    } catch (const Stop &stop) {
        m_triangles.clear();
        m_triangles.shrink_to_fit();
        return stop.end;
    }
    return TModelReadEnd::Complete;
}

void TDxf2RawConverter::next()
{
    if (m_summary)
        ++m_summary->reads;
    else if (++m_reads > m_readBudget)
        throw Stop {TModelReadEnd::Failed};
    if (m_stopRequested())
        throw Stop {TModelReadEnd::Cancelled};
    // The pairs ended before the one that closes what is being read.
    if (!m_reader.Next())
        throw Stop {TModelReadEnd::Failed};
}

// An entity reads up to the "0" pair that starts the next one; stepping back lets the caller
// read that pair again.
void TDxf2RawConverter::back()
{
    m_reader.Seek(m_reader.cursor() - 1);
}

// Each section body reads up to its own ENDSEC, which also ends the section.
void TDxf2RawConverter::readSection()
{
    while (!m_reader.is(0, "ENDSEC")) {
        next();
        if (m_reader.is(2, "ENTITIES"))
            readEntities();
        else if (m_reader.is(2, "BLOCKS"))
            readBlocks();
        else if (m_reader.is(2, "HEADER"))
            passSection();
    }
}

void TDxf2RawConverter::passSection()
{
    do
        next();
    while (!m_reader.is(0, "ENDSEC"));
}

// Notes where each block starts; the entities inside are converted only when inserted.
void TDxf2RawConverter::readBlocks()
{
    std::ptrdiff_t pending = -1;
    for (;;) {
        next();
        if (m_reader.is(0, "ENDSEC"))
            return;
        if (m_reader.is(0, "BLOCK")) {
            pending = m_reader.cursor();
        } else if (pending >= 0 && m_reader.code() == 2) {
            // The first of a name counts. A name known only now may complete a block counted
            // before.
            if (m_blocks.try_emplace(m_reader.value(), pending).second && !m_summaries.empty()) {
                m_summaries.clear();
                m_count.Clear();
            }
            pending = -1;
        }
    }
}

void TDxf2RawConverter::readEntities()
{
    for (;;) {
        next();
        if (m_reader.is(0, "ENDSEC"))
            return;
        dispatchEntity();
    }
}

void TDxf2RawConverter::dispatchEntity()
{
    if (m_reader.code() != 0)
        return;
    const std::string_view name = m_reader.value();
    if (name == "3DFACE")
        readFace();
    else if (name == "POLYLINE")
        readPolyline();
    else if (name == "INSERT")
        readInsert();
}

float TDxf2RawConverter::numberValue() const
{
    double value = 0;
    // Coordinates are floats: a number beyond their range does not convert either.
    const float single = ParseModelReal(m_reader.value(), value) ? NarrowToFloat(value) : NAN;
    if (!std::isfinite(single))
        throw Stop {TModelReadEnd::Failed};
    return single;
}

// The groups first, first + step and first + 2 step hold x, y and z of a point.
bool TDxf2RawConverter::readCoordinate(int first, int step, TPoint3F &point) const
{
    const int offset = m_reader.code() - first;
    if (offset < 0 || offset > 2 * step || offset % step != 0)
        return false;
    // A summary counts, it needs no coordinates.
    if (!m_summary)
        (offset == 0 ? point.x : offset == step ? point.y : point.z) = numberValue();
    return true;
}

// A face record names mesh vertices by their 1-based number, negative for an invisible edge.
TPoint3F TDxf2RawConverter::meshVertex() const
{
    long long number = 0;
    if (!ParseModelInt(m_reader.value(), number))
        throw Stop {TModelReadEnd::Failed};
    const unsigned long long index = number < 0 ? 0ULL - static_cast<unsigned long long>(number)
                                                : static_cast<unsigned long long>(number);
    if (index == 0 || index > m_vertices.size())
        throw Stop {TModelReadEnd::Failed};
    return m_vertices[index - 1];
}

void TDxf2RawConverter::readPolyline()
{
    m_vertices.clear();
    for (;;) {
        next();
        if (m_reader.is(0, "SEQEND"))
            return;
        if (m_reader.is(0, "VERTEX"))
            readVertex();
    }
}

void TDxf2RawConverter::readVertex()
{
    enum class Kind { Unset, MeshVertex, FaceRecord };
    Kind kind = Kind::Unset;
    TPoint3F point;
    std::array<TPoint3F, 3> corner {};
    bool fourth = false;
    for (;;) {
        next();
        const int code = m_reader.code();
        if (code == 0 && (m_reader.value() == "VERTEX" || m_reader.value() == "SEQEND"))
            break;
        if (readCoordinate(10, 10, point))
            continue;
        if (code == 70 && m_reader.value() == "192") {
            kind = Kind::MeshVertex;
        } else if (code == 70 && m_reader.value() == "128") {
            kind = Kind::FaceRecord;
        } else if (code >= 71 && code <= 73) {
            corner[std::size_t(code - 71)] = meshVertex();
        } else if (code == 74) {
            point = meshVertex();
            fourth = true;
        }
    }
    if (kind == Kind::MeshVertex) {
        m_vertices.push_back(toWorld(point));
    } else if (kind == Kind::FaceRecord && m_summary) {
        ++m_summary->faces;
    } else if (kind == Kind::FaceRecord) {
        // The corners come from the vertex list, already in world coordinates.
        append(corner[0], corner[1], corner[2]);
        if (fourth && point != corner[2])
            append(corner[0], corner[2], point);
    }
    back();
}

void TDxf2RawConverter::readFace()
{
    std::array<TPoint3F, 4> corner {};
    bool fourth = false;
    for (;;) {
        next();
        if (m_reader.code() == 0)
            break;
        if (m_summary)
            continue; // one face, whichever corners it has
        // 10..13 x, 20..23 y, 30..33 z of corners 1 to 4.
        for (int k = 0; k < 4; ++k)
            if (readCoordinate(10 + k, 10, corner[std::size_t(k)]))
                fourth = fourth || k == 3;
    }
    if (m_summary) {
        ++m_summary->faces;
    } else {
        const TPoint3F a = toWorld(corner[0]);
        const TPoint3F b = toWorld(corner[1]);
        const TPoint3F c = toWorld(corner[2]);
        append(a, b, c);
        if (fourth) {
            const TPoint3F d = toWorld(corner[3]);
            if (d != c)
                append(a, c, d);
        }
    }
    back();
}

void TDxf2RawConverter::readInsert()
{
    TInsertLevel level;
    std::string_view name;
    for (;;) {
        next();
        const int code = m_reader.code();
        if (code == 0)
            break;
        if (readCoordinate(10, 10, level.insertion) || readCoordinate(41, 1, level.scale)
            || readCoordinate(210, 10, level.extrusion))
            continue;
        if (code == 2) {
            name = m_reader.value();
        } else if (code == 50 && !ParseModelReal(m_reader.value(), level.rotation)) {
            throw Stop {TModelReadEnd::Failed};
        }
    }
    level.returnPosition = m_reader.cursor() - 1;
    const auto block = m_blocks.find(name);
    if (block == m_blocks.end())
        throw Stop {TModelReadEnd::Failed}; // blocks must be defined before they are inserted
    level.block = block->second;
    if (m_summary) {
        m_summary->inserts.emplace_back(level.block, 1);
        m_reader.Seek(level.returnPosition);
        return;
    }
    if (m_depth == 0 && mayNest(level.block))
        refuseBeyondLimits(level.block);
    // Beyond the deepest level, and for a block that would insert itself again, the insert
    // and its geometry are dropped: the stack has no level for it, and a cycle never ends.
    if (m_depth == MaxInsertDepth || onInsertStack(level.block)) {
        m_reader.Seek(level.returnPosition);
        return;
    }
    m_transform.Reset();
    if (!m_transform.SetExtrusion(level.extrusion))
        throw Stop {TModelReadEnd::Failed};
    const double radians = level.rotation * (std::numbers::pi / 180);
    level.cosA = std::cos(radians);
    level.sinA = std::sin(radians);
    level.matrix = m_transform.matrix();
    m_levels[std::size_t(m_depth++)] = level;

    readBlockBody(level.block);

    --m_depth;
    // Entities after a top-level insert are in world coordinates again.
    if (m_depth == 0)
        m_transform.Reset();
    else
        m_transform.SetMatrix(m_levels[std::size_t(m_depth - 1)].matrix);
    m_reader.Seek(level.returnPosition);
}

void TDxf2RawConverter::readBlockBody(std::ptrdiff_t blockIndex)
{
    m_reader.Seek(blockIndex);
    for (;;) {
        next();
        if (m_reader.is(0, "ENDBLK"))
            return;
        dispatchEntity();
    }
}

// The block's body read once as an insert reads it, its own inserts noted instead of expanded.
// A fault in it ends the summary where it lies: the expansion would end there too.
const TDxfBlockSummary &TDxf2RawConverter::summary(std::ptrdiff_t blockIndex)
{
    const auto [found, added] = m_summaries.try_emplace(blockIndex);
    TDxfBlockSummary &s = found->second;
    if (!added)
        return s;
    const std::ptrdiff_t cursor = m_reader.cursor();
    m_summary = &s;
    try {
        readBlockBody(blockIndex);
    } catch (const Stop &stop) {
        if (stop.end == TModelReadEnd::Cancelled) {
            m_summary = nullptr;
            throw;
        }
    }
    m_summary = nullptr;
    m_reader.Seek(cursor);
    auto &inserts = s.inserts;
    std::sort(inserts.begin(), inserts.end());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < inserts.size(); ++i) {
        if (kept > 0 && inserts[kept - 1].first == inserts[i].first)
            inserts[kept - 1].second += inserts[i].second;
        else
            inserts[kept++] = inserts[i];
    }
    inserts.resize(kept);
    return s;
}

// A block body runs from its BLOCK to an ENDBLK, at the latest the file's last one. A block
// that begins after the last INSERT before that ENDBLK inserts nothing: it expands to its own
// body, which the file's size bounds, and needs no count.
bool TDxf2RawConverter::mayNest(std::ptrdiff_t blockIndex)
{
    if (m_lastNestedInsert == -2) {
        std::ptrdiff_t lastInsert = -1;
        m_lastNestedInsert = -1;
        for (std::size_t i = 0; i < m_reader.count(); ++i) {
            if (m_reader.codeAt(i) != 0)
                continue;
            const std::string_view value = m_reader.valueAt(i);
            if (value == "INSERT")
                lastInsert = std::ptrdiff_t(i);
            else if (value == "ENDBLK")
                m_lastNestedInsert = lastInsert;
        }
    }
    return blockIndex < m_lastNestedInsert;
}

// What a block inserted outside blocks will read and give is known before it is expanded:
// beyond the triangle cap, or beyond the pairs left to read, its expansion would end the
// conversion anyway, only after minutes and a gigabyte of work.
void TDxf2RawConverter::refuseBeyondLimits(std::ptrdiff_t blockIndex)
{
    const TDxfExpansion limit {m_readBudget - m_reads, m_maxTriangles - m_triangles.size()};
    const TDxfExpansion total = m_count.Count(blockIndex, limit);
    if (total.faces > limit.faces)
        throw Stop {TModelReadEnd::TooManyTriangles};
    if (total.reads > limit.reads)
        throw Stop {TModelReadEnd::Failed};
}

bool TDxf2RawConverter::onInsertStack(std::ptrdiff_t blockIndex) const
{
    for (int level = 0; level < m_depth; ++level)
        if (m_levels[std::size_t(level)].block == blockIndex)
            return true;
    return false;
}

// Inside inserts the innermost level applies first: rotation about z, scale, insertion point,
// then that insert's extrusion; and so on out to the top-level insert.
TPoint3F TDxf2RawConverter::toWorld(TPoint3F p)
{
    if (m_depth == 0)
        return m_transform.Transform(p);
    for (int level = m_depth; level >= 1; --level) {
        const TInsertLevel &l = m_levels[std::size_t(level - 1)];
        p = TConvOCS2WCS::RotateZ(p, l.cosA, l.sinA);
        p = TConvOCS2WCS::Multiply(p, l.scale);
        p = TConvOCS2WCS::Add(p, l.insertion);
        m_transform.SetMatrix(l.matrix);
        p = m_transform.Transform(p);
    }
    return p;
}

void TDxf2RawConverter::append(TPoint3F a, TPoint3F b, TPoint3F c)
{
    // A value that left the float range on its way to world coordinates is no coordinate.
    if (!isFinite(a) || !isFinite(b) || !isFinite(c))
        throw Stop {TModelReadEnd::Failed};
    if (m_triangles.size() >= m_maxTriangles)
        throw Stop {TModelReadEnd::TooManyTriangles};
    m_triangles.push_back({a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z});
}
