#include "model3d/modelreading.h"
#include "model3d/rawreader.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Floats = std::vector<float>;

Floats floatsOf(const TRawTriangle &t)
{
    return {t.x1, t.y1, t.z1, t.x2, t.y2, t.z2, t.x3, t.y3, t.z3};
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    WriteAll(path, bytes);
    return path;
}

} // namespace

TEST(RawReader, ReadsExactlyNineNumbersWithPointAndDropsEverythingElse)
{
    const Floats plain {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const struct
    {
        const char *line;
        Floats expected; // empty: the line is dropped
    } cases[] = {
        {"0 0 0 1 0 0 0 1 0", plain},
        {" 0 0 0 1 0 0 0 1 0", plain},
        {"0\t0  0 1 0 0\t 0 1 0 \t ", plain},
        {"+1 1e1 -2.5 .5 0 0 0 1 0", {1, 10, -2.5f, 0.5f, 0, 0, 0, 1, 0}},
        {"0.1 0 0 1 0 0 0 1 0", {0.1f, 0, 0, 1, 0, 0, 0, 1, 0}},
        {"0 0 0 1 0 0 0 1", {}},
        {"0 0 0 1 x 0 0 1 0", {}},
        {"1,5 0 0 1 0 0 0 1 0", {}},
        {"nan 0 0 1 0 0 0 1 0", {}},
        {"0 0 0 1 0 0 0 1 inf", {}},
        {"0 0 0 1 0 0 0 1 0 0", {}},
        {"0 0 0 1 0 0 0 1 1e39", {}}, // beyond a float
        {"0 0 0 1 0 0 0 1 1e400", {}},
        {"0 0 0 +-1 0 0 0 1 0", {}},
        {"object 0 0 1 0 0 0 1 0", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        TRawTriangle t;
        TModelBox box;
        const bool read = ParseRawLine(c.line, 1.0, t, box);
        ASSERT_EQ(read, !c.expected.empty());
        if (read)
            EXPECT_EQ(floatsOf(t), c.expected);
        else
            EXPECT_TRUE(box.isEmpty()); // a dropped line leaves the box alone
    }
}

TEST(RawReader, SkipsObjectHeadersAndReadsAnyLineEnd)
{
    const std::string text = "Object1\r\n1 2 3 4 5 6 7 8 9\r\nobject\r\n"
                             "9 8 7 6 5 4 3 2 1\r2 2 2 2 2 2 2 2 2\n\n3 3 3 3 3 3 3 3 3";
    std::vector<TRawTriangle> triangles;
    TModelBox box;
    ASSERT_EQ(ReadRawFile(text, 1.0, triangles, box), TModelReadEnd::Complete);
    ASSERT_EQ(triangles.size(), 4u);
    // A byte-order mark before the first triangle does not cost it.
    std::vector<TRawTriangle> marked;
    TModelBox markedBox;
    ASSERT_EQ(ReadRawFile("\xEF\xBB\xBF" + text.substr(9), 1.0, marked, markedBox), TModelReadEnd::Complete);
    EXPECT_EQ(marked.size(), 4u);
    EXPECT_EQ(floatsOf(triangles[0]), (Floats {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(floatsOf(triangles[1]), (Floats {9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(triangles[3].z3, 3);
    EXPECT_EQ(box.minX, 1);
    EXPECT_EQ(box.maxZ, 9);
}

TEST(RawReader, ConvertsByTheLengthUnitOnce)
{
    for (int unit : {1, 2, 7}) {
        SCOPED_TRACE(unit);
        const double factor = unit == 1 ? 25.4 : unit == 2 ? 304.8 : 0.0;
        std::vector<TRawTriangle> triangles;
        TModelBox box;
        ASSERT_EQ(
            ReadRawFile("1 0 0 0 1 0 0 0 1\n0.1 0 0 0 0 0 0 0 0\n", ModelUnitFactor(unit), triangles, box),
            TModelReadEnd::Complete);
        ASSERT_EQ(triangles.size(), 2u);
        EXPECT_EQ(triangles[0].x1, float(factor));
        // The product is taken in double and rounded to float once.
        EXPECT_EQ(triangles[1].x1, float(0.1 * factor));
        for (double low : {box.minX, box.minY, box.minZ})
            EXPECT_EQ(low, 0);
        for (double high : {box.maxX, box.maxY, box.maxZ})
            EXPECT_EQ(high, double(float(factor)));
    }
}

TEST(RawReader, EndsOnStopRequestAndOnTheTriangleCap)
{
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "1 2 3 4 5 6 7 8 9\n";
    std::vector<TRawTriangle> triangles;
    TModelBox box;
    int asked = 0;
    // Asked at the first line and every 4096 lines after: the second answer stops it.
    EXPECT_EQ(ReadRawFile(text, 1, triangles, box, [&] { return ++asked == 2; }), TModelReadEnd::Cancelled);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(triangles.size(), 4096u);

    triangles.clear();
    EXPECT_EQ(ReadRawFile(text, 1, triangles, box, {}, 9999), TModelReadEnd::TooManyTriangles);
    triangles.clear();
    EXPECT_EQ(ReadRawFile(text, 1, triangles, box, {}, 10000), TModelReadEnd::Complete);
}

TEST(ModelFile, ReadsByExtensionAndDerivesBoxSizeAndCentre)
{
    QTemporaryDir dir;
    const QByteArray triangle = "0 0 0 10 0 0 0 20 5\n";
    const TModelReadResult raw = ReadModel(writeFile(dir, QStringLiteral("part.Raw"), triangle), 0);
    ASSERT_EQ(raw.status, TModelReadResult::Status::Read);
    const TModelData &data = *raw.model;
    EXPECT_EQ(data.triangles.size(), 1u);
    EXPECT_EQ(data.model.fileName, dir.filePath(QStringLiteral("part.Raw")));
    const TModelBox &b = data.model.box;
    EXPECT_EQ((std::vector<double> {b.minX, b.minY, b.minZ, b.maxX, b.maxY, b.maxZ}),
              (std::vector<double> {0, 0, 0, 10, 20, 5}));
    EXPECT_EQ(data.ModelSize, (std::array<float, 3> {10, 20, 5}));
    EXPECT_EQ(data.ModelCentre, (std::array<double, 3> {5, 10, 2.5}));
    EXPECT_TRUE(raw.message().key.isEmpty());

    const QByteArray face = "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n10\n1\n20\n0\n30\n0\n11\n0\n21\n1\n31\n0\n"
                            "12\n0\n22\n0\n32\n1\n0\nENDSEC\n0\nEOF\n";
    const TModelReadResult dxf = ReadModel(writeFile(dir, QStringLiteral("mesh.dxf"), face), 1);
    ASSERT_EQ(dxf.status, TModelReadResult::Status::Read);
    EXPECT_EQ(floatsOf(dxf.model->triangles[0]), (Floats {25.4f, 0, 0, 0, 25.4f, 0, 0, 0, 25.4f}));
    EXPECT_EQ(dxf.model->model.box.maxY, double(25.4f));

    const struct
    {
        QString name;
        QByteArray bytes;
    } empties[] = {
        {QStringLiteral("part.stl"), triangle},
        {QStringLiteral("part"), triangle},
        {QStringLiteral("none.raw"), "Object1\nno triangle here\n"},
        {QStringLiteral("zero.raw"), ""},
        {QStringLiteral("broken.dxf"), face.left(face.size() - 4)}, // no EOF
    };
    for (const auto &e : empties) {
        SCOPED_TRACE(e.name.toStdString());
        const TModelReadResult result = ReadModel(writeFile(dir, e.name, e.bytes), 0);
        EXPECT_EQ(result.status, TModelReadResult::Status::Empty);
        EXPECT_EQ(result.model, nullptr);
        EXPECT_EQ(result.message(),
                  (TModelMessageKey {QStringLiteral("Project_window"), QStringLiteral("zbiorPusty")}));
    }
}
