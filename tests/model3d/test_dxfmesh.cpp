#include "model3d/dxfmesh.h"
#include "model3d/modelreading.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"

#include <QLocale>
#include <QTemporaryDir>

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

namespace {

using Floats = std::vector<float>;
using Corners = std::vector<TPoint3F>;

// Codes right-aligned in three places, as CAD programs write them.
std::string g(int code, const std::string &value)
{
    std::string c = std::to_string(code);
    return std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + "\n" + value + "\n";
}

std::string n(double v)
{
    std::ostringstream out;
    out.precision(17);
    out << v;
    return out.str();
}

std::string point(int code, TPoint3F p)
{
    return g(code, n(p.x)) + g(code + 10, n(p.y)) + g(code + 20, n(p.z));
}

std::string face(const Corners &c)
{
    std::string text = g(0, "3DFACE") + g(8, "0");
    for (std::size_t i = 0; i < c.size(); ++i)
        text += point(10 + int(i), c[i]);
    return text;
}

// Block names: "B" and 3 give "B3" (built without operator+, which GCC 12 warns about).
std::string name(const char *prefix, int k)
{
    return std::string(prefix).append(std::to_string(k));
}

const Corners unitFace {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

std::string insert(const std::string &name, TPoint3F at = {}, double scale = 1, double rotation = 0,
                   TPoint3F extrusion = {0, 0, 1})
{
    return g(0, "INSERT") + g(8, "0") + g(2, name) + point(10, at) + g(41, n(scale)) + g(42, n(scale))
        + g(43, n(scale)) + g(50, n(rotation)) + g(210, n(extrusion.x)) + g(220, n(extrusion.y))
        + g(230, n(extrusion.z));
}

std::string block(const std::string &name, const std::string &body)
{
    return g(0, "BLOCK") + g(8, "0") + g(2, name) + g(70, "0") + point(10, {}) + body + g(0, "ENDBLK");
}

std::string section(const std::string &name, const std::string &body)
{
    return g(0, "SECTION") + g(2, name) + body + g(0, "ENDSEC");
}

std::string dxfFile(const std::string &blocks, const std::string &entities)
{
    return section("HEADER", g(9, "$ACADVER") + g(1, "AC1009"))
        + (blocks.empty() ? "" : section("BLOCKS", blocks)) + section("ENTITIES", entities) + g(0, "EOF");
}

std::optional<std::vector<Floats>> convert(const std::string &text, std::size_t cap = MaxModelTriangles)
{
    TDxf2RawConverter converter(text, {}, cap);
    if (converter.Execute() != TModelReadEnd::Complete)
        return std::nullopt;
    std::vector<Floats> out;
    for (const TRawTriangle &t : converter.TakeTriangles())
        out.push_back({t.x1, t.y1, t.z1, t.x2, t.y2, t.z2, t.x3, t.y3, t.z3});
    return out;
}

Floats tri(TPoint3F a, TPoint3F b, TPoint3F c)
{
    return {a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
}

std::string polyface(const Corners &vertices, const std::vector<std::vector<int>> &faces)
{
    std::string text = g(0, "POLYLINE") + g(8, "0") + g(66, "1") + g(70, "64");
    for (const TPoint3F &v : vertices)
        text += g(0, "VERTEX") + g(8, "0") + point(10, v) + g(70, "192");
    for (const auto &f : faces) {
        text += g(0, "VERTEX") + g(8, "0") + point(10, {}) + g(70, "128");
        for (std::size_t i = 0; i < f.size(); ++i)
            text += g(71 + int(i), std::to_string(f[i]));
    }
    return text + g(0, "SEQEND");
}

} // namespace

TEST(DxfMesh, FacesAndPolyfaceMeshesGiveExactTriangles)
{
    const TPoint3F a {0.1f, -2.5f, 3}, b {1e3f, 0.2f, 0}, c {7, 8, 9.75f}, d {-1, -1, 0.3f};
    EXPECT_EQ(convert(dxfFile("", face({a, b, c, c}))), (std::vector<Floats> {tri(a, b, c)}));
    EXPECT_EQ(convert(dxfFile("", face({a, b, c}))), (std::vector<Floats> {tri(a, b, c)}));
    EXPECT_EQ(convert(dxfFile("", face({a, b, c, d}))), (std::vector<Floats> {tri(a, b, c), tri(a, c, d)}));
    // A negative number marks an invisible edge and names the same vertex.
    EXPECT_EQ(convert(dxfFile("", polyface({a, b, c, d}, {{1, 2, -3, 4}, {4, 3, 2, -2}}))),
              (std::vector<Floats> {tri(a, b, c), tri(a, c, d), tri(d, c, b)}));
    // Polylines that are not face meshes, and other entities, give nothing.
    EXPECT_EQ(convert(dxfFile("", g(0, "LINE") + point(10, a) + point(11, b) + g(0, "3DSOLID") + g(1, "x"))),
              std::vector<Floats> {});
}

TEST(DxfMesh, InsertsRotateScaleMoveAndExtrude)
{
    const std::string corner = block("C", face({{1, 0, 0}, {1, 0, 0}, {1, 2, 3}}));
    const auto triangles = convert(dxfFile(corner, insert("C", {10, 0, 0}, 2, 90)));
    ASSERT_TRUE(triangles);
    EXPECT_EQ(Floats(triangles->at(0).begin(), triangles->at(0).begin() + 3), (Floats {10, 2, 0}));

    // Extrusion (0, 0, -1): Ax = Wy x N = (-1, 0, 0), so x and z change sign.
    const auto mirrored = convert(dxfFile(corner, insert("C", {}, 1, 0, {0, 0, -1}) + face(unitFace)));
    ASSERT_TRUE(mirrored);
    ASSERT_EQ(mirrored->size(), 2u);
    EXPECT_EQ(Floats(mirrored->at(0).begin() + 6, mirrored->at(0).end()), (Floats {-1, 2, -3}));
    // A face after a top-level insert is in world coordinates again, not mirrored.
    EXPECT_EQ(mirrored->at(1), tri(unitFace[0], unitFace[1], unitFace[2]));
}

TEST(DxfMesh, ArbitraryAxisTurnsAtOneSixtyFourth)
{
    const float below = std::nextafter(1.0f / 64, 0.0f);
    const struct
    {
        TPoint3F n;
        bool fromWy;
    } cases[] = {
        {{below, below, 1}, true},
        {{-below, below, -1}, true},
        {{1.0f / 64, 0, 1}, false},
        {{0, -1.0f / 64, 1}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.n.x);
        TConvOCS2WCS ocs;
        ASSERT_TRUE(ocs.SetExtrusion(c.n));
        const TPoint3F ax = ocs.Transform({1, 0, 0});
        // Wy x N = (Nz, 0, -Nx); Wz x N = (-Ny, Nx, 0).
        if (c.fromWy) {
            EXPECT_EQ(ax.y, 0);
            EXPECT_NEAR(ax.x, c.n.z, 1e-3);
        } else {
            EXPECT_EQ(ax.z, 0);
        }
        EXPECT_NEAR(double(ax.x) * ax.x + double(ax.y) * ax.y + double(ax.z) * ax.z, 1, 1e-6);
    }
    TConvOCS2WCS ocs;
    EXPECT_FALSE(ocs.SetExtrusion({0, 0, 0}));
    EXPECT_EQ(ocs.Transform({1, 2, 3}), (TPoint3F {1, 2, 3}));
}

TEST(DxfMesh, NestsTenInsertsAndDropsDeeperOnesAndCycles)
{
    // B1 .. B10 each move by 1 in x and insert the next; B10 holds a face and inserts B11.
    std::string blocks;
    for (int k = 1; k <= 10; ++k)
        blocks += block(name("B", k), (k == 10 ? face(unitFace) : "") + insert(name("B", k + 1), {1, 0, 0}));
    blocks += block("B11", face(unitFace));
    const auto nested = convert(dxfFile(blocks, insert("B1", {1, 0, 0})));
    EXPECT_EQ(nested, (std::vector<Floats> {tri({10, 0, 0}, {11, 0, 0}, {10, 1, 0})}));

    const std::string cycles = block("SELF", face(unitFace) + insert("SELF", {5, 0, 0}))
        + block("A", face(unitFace) + insert("B", {0, 5, 0}))
        + block("B", face(unitFace) + insert("A", {0, 5, 0}));
    const auto self = convert(dxfFile(cycles, insert("SELF")));
    EXPECT_EQ(self, (std::vector<Floats> {tri(unitFace[0], unitFace[1], unitFace[2])}));
    const auto ab = convert(dxfFile(cycles, insert("A")));
    EXPECT_EQ(ab,
              (std::vector<Floats> {tri(unitFace[0], unitFace[1], unitFace[2]),
                                    tri({0, 5, 0}, {1, 5, 0}, {0, 6, 0})}));
}

TEST(DxfMesh, BrokenOrHostileFilesGiveNoTriangles)
{
    const std::string good = dxfFile(block("F", face(unitFace)), insert("F"));
    ASSERT_TRUE(convert(good));
    ASSERT_EQ(convert(std::string("\xEF\xBB\xBF").append(good))->size(), 1u); // a byte order mark is skipped

    // Ten blocks each inserting the next ten times: 10^10 faces, or as many empty inserts.
    std::string fan, emptyFan;
    for (int k = 1; k <= 10; ++k) {
        std::string body, emptyBody;
        for (int i = 0; i < 10; ++i)
            body += insert(name("F", k + 1), {float(i), 0, 0});
        fan += block(name("F", k), k == 10 ? face(unitFace) : body);
        emptyFan += block(name("F", k), k == 10 ? "" : body);
    }

    const std::string indexed = polyface({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{1, 2, 3}});
    const struct
    {
        const char *why;
        std::string text;
    } cases[] = {
        {"face index 0", dxfFile("", polyface(Corners(4), {{1, 0, 3}}))},
        {"face index beyond the mesh", dxfFile("", polyface(Corners(4), {{1, 2, 5}}))},
        {"insert before its blocks",
         section("ENTITIES", insert("F")) + section("BLOCKS", block("F", face(unitFace))) + g(0, "EOF")},
        {"undefined block", dxfFile(block("F", face(unitFace)), insert("G"))},
        {"no ENDSEC", g(0, "SECTION") + g(2, "ENTITIES") + indexed + g(0, "EOF")},
        {"no EOF", good.substr(0, good.size() - 8)},
        {"truncated in an insert", good.substr(0, good.size() - 60)},
        {"comma number", dxfFile("", g(0, "3DFACE") + g(10, "1,5"))},
        {"zero extrusion", dxfFile(block("F", face(unitFace)), insert("F", {}, 1, 0, {0, 0, 0}))},
        {"beyond float", dxfFile(block("F", face({{1e10f, 0, 0}, {}, {}})), insert("F", {}, 1e30))},
        {"fan-out over the cap", dxfFile(fan, insert("F1"))},
        {"fan-out of empty blocks", dxfFile(emptyFan, insert("F1"))},
        {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22).append(good)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(convert(c.text, 1000), std::nullopt);
    }
}

TEST(DxfMesh, InsertsBeyondTheTriangleCapAreRefusedBeforeTheyAreExpanded)
{
    // Blocks L1 .. Ln, each holding a face (or only the last one) and inserting the next
    // `times` times.
    auto levels = [](int n, int times, bool faceInEach) {
        std::string blocks;
        for (int k = 1; k <= n; ++k) {
            std::string body = faceInEach || k == n ? face(unitFace) : "";
            for (int i = 0; k < n && i < times; ++i)
                body += insert(name("L", k + 1), {float(i), 0, 0});
            blocks += block(name("L", k), body);
        }
        return dxfFile(blocks, insert("L1"));
    };
    // The count must give what the expansion gives, neither more nor less: at a cap of
    // exactly that many triangles the file is read, one below it is refused.
    const struct
    {
        const char *why;
        std::string text;
        std::size_t triangles;
    } exact[] = {
        {"three levels of ten", levels(3, 10, false), 100},
        {"twelve levels, the last two beyond the deepest", levels(12, 1, true), 10},
        {"a cycle, each block once",
         dxfFile(block("A", face(unitFace) + insert("B") + insert("B"))
                     + block("B", face(unitFace) + insert("A")),
                 insert("A") + insert("B")),
         5},
    };
    for (const auto &c : exact) {
        SCOPED_TRACE(c.why);
        const auto read = convert(c.text, c.triangles);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->size(), c.triangles);
        TDxf2RawConverter below(c.text, {}, c.triangles - 1);
        EXPECT_EQ(below.Execute(), TModelReadEnd::TooManyTriangles);
    }

    // A few kilobytes that stand for 10^11 faces, for 10^10 inserts of nothing, or for a
    // cycle of eleven blocks each inserting every other three times: with the program's own
    // cap each ends before its expansion starts. The stop request, asked every 4096 pairs
    // read, would cancel after some 100,000 pairs.
    std::string cycle;
    for (int b = 0; b < 11; ++b) {
        std::string body = face(unitFace);
        for (int c = 0; c < 11; ++c)
            for (int i = 0; c != b && i < 3; ++i)
                body += insert(name("K", c), {float(i), 0, 0});
        cycle += block(name("K", b), body);
    }
    const struct
    {
        const char *why;
        std::string text;
        TModelReadEnd end;
    } hostile[] = {
        {"faces on twelve levels of ten", levels(12, 10, true), TModelReadEnd::TooManyTriangles},
        {"a face below the deepest level", levels(12, 10, false), TModelReadEnd::Failed},
        {"a cycle of eleven", dxfFile(cycle, insert("K0")), TModelReadEnd::TooManyTriangles},
    };
    for (const auto &c : hostile) {
        SCOPED_TRACE(c.why);
        int asked = 0;
        TDxf2RawConverter converter(c.text, [&asked] { return ++asked > 25; });
        EXPECT_EQ(converter.Execute(), c.end);
    }

    // The operator is told the limit, not that the file is empty.
    ScopedLanguage language(ShippedLanguage());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nested.dxf"));
    WriteAll(path, QByteArray::fromStdString(hostile[0].text));
    const TModelReadResult result = ReadModel(path, 0);
    EXPECT_EQ(result.status, TModelReadResult::Status::TooLarge);
    EXPECT_EQ(result.text().toStdString(),
              "The model holds more than 30,000,000 triangles, more than can be read.");
    QLocale::setDefault(QLocale::c());
}
