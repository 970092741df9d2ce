#include "drawing/joboutput.h"

#include <QSaveFile>

SaveFileJobOutput::SaveFileJobOutput(QString fileName)
    : m_fileName(std::move(fileName))
{ }

SaveFileJobOutput::~SaveFileJobOutput()
{
    // A job that was never committed must not replace the old file.
    if (m_file && m_file->isOpen())
        m_file->cancelWriting();
}

bool SaveFileJobOutput::open()
{
    m_failed = false;
    m_file = std::make_unique<QSaveFile>(m_fileName);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_failed = true;
        return false;
    }
    return true;
}

bool SaveFileJobOutput::write(std::string_view bytes)
{
    if (m_failed || !m_file || !m_file->isOpen())
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (m_file->write(bytes.data(), size) != size)
        m_failed = true;
    return !m_failed;
}

bool SaveFileJobOutput::commit()
{
    if (!m_file || !m_file->isOpen())
        return false;
    if (m_failed) {
        m_file->cancelWriting();
        m_file->commit();
        return false;
    }
    return m_file->commit();
}

void SaveFileJobOutput::discard()
{
    if (m_file && m_file->isOpen()) {
        m_file->cancelWriting();
        m_file->commit();
    }
}
