#include "drawing/drawingreader.h"

#include "drawing/dxfreader.h"
#include "drawing/epsreader.h"
#include "drawing/hpglreader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <sys/stat.h>

namespace {

// Reads a whole file; 0 or the errno of the failing call.
int readWholeFile(const std::string &fileName, std::string &text)
{
    errno = 0;
    std::FILE *file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        return errno != 0 ? errno : EIO;
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> closer(file, &std::fclose);
    // Read straight into room for the whole file where its size is known:
    // growing the text a buffer at a time would copy a large drawing over
    // and over. A file that is longer than it said (or has no size) reads on.
    text.clear();
    std::size_t size = 0;
    if (struct stat info {}; fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        size = static_cast<std::size_t>(info.st_size);
    text.resize(size + 1);
    std::size_t length = 0;
    for (;;) {
        if (text.size() - length < (1 << 16))
            text.resize(std::max(2 * text.size(), length + (1 << 16)));
        const std::size_t room = text.size() - length;
        const std::size_t got = std::fread(text.data() + length, 1, room, file);
        length += got;
        if (got < room)
            break;
    }
    text.resize(length);
    if (std::ferror(file))
        return errno != 0 ? errno : EIO;
    return 0;
}

bool startsWith(const std::string &text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Files the 8-bit readers would take for empty drawings.
bool unsupportedText(const std::string &text, TDrawingKind kind)
{
    if (startsWith(text, "\xFF\xFE") || startsWith(text, "\xFE\xFF"))
        return true; // UTF-16
    return kind == TDrawingKind::Dxf && startsWith(text, "AutoCAD Binary DXF");
}

} // namespace

Thpgl::Thpgl(TReaderOptions options)
    : m_options(options)
{ }

Thpgl::~Thpgl() = default;

int Thpgl::Open(const std::string &fileName, TDrawingKind kind)
{
    std::string text;
    const int result = readWholeFile(fileName, text);
    if (result != 0) {
        m_error = {};
        m_error.kind = TReadError::Kind::Io;
        m_error.ioCode = result;
        m_open = false;
        return result;
    }
    return OpenText(std::move(text), kind);
}

int Thpgl::OpenText(std::string text, TDrawingKind kind)
{
    Close();
    m_kind = kind;
    m_text = std::move(text);
    m_error = {};
    if (unsupportedText(m_text, kind)) {
        m_error.kind = TReadError::Kind::Format;
        m_text.clear();
        return UnsupportedFormat;
    }
    // A UTF-8 byte-order mark before the first line is no part of it.
    if (startsWith(m_text, "\xEF\xBB\xBF"))
        m_text.erase(0, 3);
    switch (kind) {
    case TDrawingKind::Hpgl:
        m_hpgl = std::make_unique<THpglReader>(m_text);
        break;
    case TDrawingKind::Dxf:
        // Line-type scale and pen start afresh with every drawing.
        m_dxf = std::make_unique<TDxfReader>(m_text, m_options);
        break;
    case TDrawingKind::Eps:
        if (m_text.compare(0, 4, "%!PS") != 0) {
            m_error.kind = TReadError::Kind::Format;
            m_text.clear();
            return NotPostScript;
        }
        m_eps = std::make_unique<TEpsReader>(m_text);
        break;
    default:
        return 0;
    }
    m_open = true;
    return 0;
}

void Thpgl::Close()
{
    m_hpgl.reset();
    m_dxf.reset();
    m_eps.reset();
    m_text.clear();
    m_open = false;
}

bool Thpgl::ReadFigure(tfigura &figure)
{
    if (m_error)
        return false;
    if (m_hpgl && m_kind == TDrawingKind::Hpgl)
        return m_hpgl->ReadFigure(figure, m_error);
    if (m_dxf && m_kind == TDrawingKind::Dxf)
        return m_dxf->ReadFigure(figure, m_error);
    if (m_eps && m_kind == TDrawingKind::Eps)
        return m_eps->ReadFigure(figure, m_error);
    // Nothing to read for this kind.
    figure.FinishReading();
    m_open = false;
    return true;
}

bool Thpgl::EndOfFile() const
{
    if (m_error || !m_open)
        return true;
    if (m_hpgl && m_kind == TDrawingKind::Hpgl)
        return m_hpgl->atEnd();
    if (m_dxf && m_kind == TDrawingKind::Dxf)
        return m_dxf->atEnd();
    if (m_eps && m_kind == TDrawingKind::Eps)
        return m_eps->atEnd();
    return true;
}

double Thpgl::PenWidth(int pen) const
{
    return m_hpgl ? m_hpgl->penWidth(pen) : 0.0;
}
