#include "model3d/modelreading.h"

#include "app/language.h"
#include "model3d/dxfmesh.h"
#include "model3d/rawreader.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

TModelReadResult ended(TModelReadResult::Status status, const QString &fileName, const QString &reason = {})
{
    TModelReadResult result;
    result.status = status;
    result.fileName = fileName;
    result.reason = reason;
    return result;
}

// The file's bytes: mapped where the system allows it, else read whole into `storage`.
bool fileBytes(QFile &file, QByteArray &storage, std::string_view &text)
{
    const qint64 size = file.size();
    if (size == 0) {
        text = {};
        return true;
    }
    if (const uchar *mapped = file.map(0, size)) {
        text = std::string_view(reinterpret_cast<const char *>(mapped), std::size_t(size));
        return true;
    }
    storage = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    text = std::string_view(storage.constData(), std::size_t(storage.size()));
    return true;
}

} // namespace

TModelMessageKey TModelReadResult::message() const
{
    switch (status) {
    case Status::Empty:
        return {QStringLiteral("Project_window"), QStringLiteral("zbiorPusty")};
    case Status::Unreadable:
        return {QStringLiteral("Universal"), QStringLiteral("zbioruNieMoznaOtworzyc")};
    case Status::TooLarge:
        return {QStringLiteral("SerialCutFrom3D"), QStringLiteral("zaDuzoTrojkatow")};
    case Status::Read:
    case Status::Cancelled:
        break;
    }
    return {};
}

QString TModelReadResult::text() const
{
    const TModelMessageKey key = message();
    if (key.key.isEmpty())
        return {};
    QString text = GetText(key.section, key.key);
    if (status == Status::Unreadable) {
        text += fileName;
        if (!reason.isEmpty())
            text += QLatin1Char('\n') + reason;
    } else if (status == Status::TooLarge) {
        text = text.arg(QLocale().toString(qulonglong(MaxModelTriangles)));
    }
    return text;
}

TModelReadEnd ReadDxfModel(std::string_view text, double unitFactor, std::vector<TRawTriangle> &triangles,
                           TModelBox &box, const TStopRequest &stop, std::size_t maxTriangles)
{
    if (triangles.size() >= maxTriangles)
        return TModelReadEnd::Failed;
    TDxf2RawConverter converter(text, stop, maxTriangles - triangles.size());
    const TModelReadEnd end = converter.Execute();
    if (end != TModelReadEnd::Complete)
        return end;
    std::vector<TRawTriangle> read = converter.TakeTriangles();
    TModelBox readBox = box;
    for (TRawTriangle &t : read) {
        for (float *v : {&t.x1, &t.y1, &t.z1, &t.x2, &t.y2, &t.z2, &t.x3, &t.y3, &t.z3}) {
            *v = NarrowToFloat(*v * unitFactor);
            if (!std::isfinite(*v))
                return TModelReadEnd::Failed;
        }
        readBox.GrowModelBox(t);
    }
    box = readBox;
    triangles.insert(triangles.end(), read.begin(), read.end());
    return TModelReadEnd::Complete;
}

TModelReadResult ReadModel(const QString &path, int unit, const TStopRequest &stop)
{
    using Status = TModelReadResult::Status;
    const QString extension = QFileInfo(path).suffix().toUpper();
    const bool raw = extension == QLatin1String("RAW");
    if (!raw && extension != QLatin1String("DXF"))
        return ended(Status::Empty, path);
    if (stop && stop())
        return ended(Status::Cancelled, path);

    QFile file(path);
    QByteArray storage;
    std::string_view text;
    if (!file.open(QIODevice::ReadOnly) || !fileBytes(file, storage, text))
        return ended(Status::Unreadable, path, file.errorString());

    const double unitFactor = ModelUnitFactor(unit);
    std::vector<TRawTriangle> triangles;
    TModelBox box;
    const TModelReadEnd end = raw ? ReadRawFile(text, unitFactor, triangles, box, stop)
                                  : ReadDxfModel(text, unitFactor, triangles, box, stop);
    if (end == TModelReadEnd::Cancelled)
        return ended(Status::Cancelled, path);
    if (end == TModelReadEnd::TooManyTriangles)
        return ended(Status::TooLarge, path);
    if (end == TModelReadEnd::Failed || triangles.empty())
        return ended(Status::Empty, path);
    TModelReadResult result = ended(Status::Read, path);
    result.model = MakeModelData(std::move(triangles), box, path);
    return result;
}
