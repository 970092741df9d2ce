#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>

class QSaveFile;

// Where the bytes of a job go. A job is either committed whole or not at all:
// the file that the transmitter reads must never be a job cut short.
class JobOutput
{
public:
    virtual ~JobOutput() = default;

    virtual bool open() = 0;
    // False as soon as one write failed; later writes are refused too.
    virtual bool write(std::string_view bytes) = 0;
    // Makes the job visible under its name; false when anything failed.
    virtual bool commit() = 0;
    // Throws the unfinished job away; an older file of that name stays.
    virtual void discard() = 0;
};

// The job file on disk. The bytes go to a temporary file beside the target,
// which replaces the target only when the whole job has been written.
class SaveFileJobOutput : public JobOutput
{
public:
    explicit SaveFileJobOutput(QString fileName);
    ~SaveFileJobOutput() override;

    bool open() override;
    bool write(std::string_view bytes) override;
    bool commit() override;
    void discard() override;

private:
    QString m_fileName;
    std::unique_ptr<QSaveFile> m_file;
    bool m_failed = false;
};

// The job kept in memory (joining serial passes, tests).
class MemoryJobOutput : public JobOutput
{
public:
    explicit MemoryJobOutput(std::string &target)
        : m_target(target)
    { }

    bool open() override
    {
        m_pending.clear();
        return true;
    }
    bool write(std::string_view bytes) override
    {
        m_pending.append(bytes);
        return true;
    }
    bool commit() override
    {
        m_target = std::move(m_pending);
        return true;
    }
    void discard() override { m_pending.clear(); }

private:
    std::string &m_target;
    std::string m_pending;
};
