#include "platform/file_channel.h"

#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

Failure failureFromErrno(int error)
{
    switch (error) {
    case ENOENT: return failureOf(err::FileNotFound);
    case ENOTDIR: return failureOf(err::PathNotFound);
    case EACCES:
    case EPERM: return failureOf(err::PermissionDenied);
    case ENOSPC:
    case EDQUOT: return failureOf(err::DiskFull);
    case EMFILE:
    case ENFILE: return failureOf(err::TooManyFiles);
    default: return failureOf(err::PathFileAccess);
    }
}

// A missing file is "file not found"; a missing folder on the way is "path not found".
Failure failureOpening(const QString &path, int error)
{
    if (error == ENOENT && !QFileInfo(path).absoluteDir().exists())
        return failureOf(err::PathNotFound);
    return failureFromErrno(error);
}

QByteArray encodedPath(const QString &path)
{
    return QFile::encodeName(path);
}

}  // namespace

QList<QByteArray> splitItems(QByteArrayView content)
{
    QList<QByteArray> items;
    qsizetype start = 0;
    const qsizetype size = content.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && content[end] != '\r' && content[end] != '\n')
            ++end;
        qsizetype first = start;
        while (first < end && (content[first] == ' ' || content[first] == '\t'))
            ++first;
        items.append(content.sliced(first, end - first).toByteArray());
        if (end < size && content[end] == '\r' && end + 1 < size && content[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return items;
}

FileChannel::~FileChannel()
{
    abandon();
}

void FileChannel::openInput(const QString &path)
{
    if (isOpen())
        raise(err::FileAlreadyOpen);
    const int fd = ::open(encodedPath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw failureOpening(path, errno);
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            throw failureFromErrno(error);
        }
        content.append(buffer, got);
    }
    ::close(fd);
    m_items = splitItems(content);
    m_next = 0;
    m_mode = Mode::Input;
}

void FileChannel::openAppend(const QString &path)
{
    if (isOpen())
        raise(err::FileAlreadyOpen);
    openForWriting(path, O_WRONLY | O_CREAT | O_APPEND);
    m_mode = Mode::Append;
}

void FileChannel::openOutput(const QString &path)
{
    if (isOpen())
        raise(err::FileAlreadyOpen);
    // Write where a link points, and refuse a file the user may not write,
    // just as truncating it in place would.
    const QFileInfo target(path);
    m_replacedPath = target.isSymLink() ? target.symLinkTarget() : path;
    if (QFileInfo::exists(m_replacedPath) && ::access(encodedPath(m_replacedPath).constData(), W_OK) != 0)
        throw failureFromErrno(errno);
    m_writtenPath = m_replacedPath + QStringLiteral(".new");
    openForWriting(m_writtenPath, O_WRONLY | O_CREAT | O_TRUNC);
    m_mode = Mode::Output;
}

void FileChannel::openForWriting(const QString &path, int flags)
{
    const int fd = ::open(encodedPath(path).constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0)
        throw failureOpening(path, errno);
    m_fd = fd;
}

bool FileChannel::atEnd() const
{
    return m_mode != Mode::Input || m_next >= m_items.size();
}

QByteArray FileChannel::readItem()
{
    if (m_mode != Mode::Input)
        raise(err::BadFileNumber);
    if (m_next >= m_items.size())
        raise(err::InputPastEnd);
    return m_items[m_next++];
}

void FileChannel::writeLine(QByteArrayView text)
{
    if (m_mode != Mode::Append && m_mode != Mode::Output)
        raise(err::BadFileNumber);
    writeAll(text, "\r\n");
    // A file removed while open still takes lines, but nobody will ever read
    // them: the channel lets go of it and the line counts as not written.
    struct stat status;
    if (m_mode == Mode::Append && ::fstat(m_fd, &status) == 0 && status.st_nlink == 0) {
        abandon();
        raise(err::BadFileNumber);
    }
}

// One system call for the text and its line end in the usual case.
void FileChannel::writeAll(QByteArrayView first, QByteArrayView second)
{
    iovec parts[2] = {{const_cast<char *>(first.data()), size_t(first.size())},
                      {const_cast<char *>(second.data()), size_t(second.size())}};
    iovec *part = parts;
    int count = 2;
    while (count > 0) {
        const ssize_t written = ::writev(m_fd, part, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw failureFromErrno(errno);
        }
        size_t left = size_t(written);
        while (count > 0 && left >= part->iov_len) {
            left -= part->iov_len;
            ++part;
            --count;
        }
        if (count > 0) {
            part->iov_base = static_cast<char *>(part->iov_base) + left;
            part->iov_len -= left;
        }
    }
}

void FileChannel::close()
{
    const Mode mode = m_mode;
    m_mode = Mode::Closed;
    m_items.clear();
    if (m_fd < 0)
        return;
    const int closed = ::close(m_fd);
    const int closeError = errno;
    m_fd = -1;
    if (mode != Mode::Output)
        return;
    const QByteArray written = encodedPath(m_writtenPath);
    if (closed != 0) {
        ::unlink(written.constData());
        throw failureFromErrno(closeError);
    }
    if (::rename(written.constData(), encodedPath(m_replacedPath).constData()) != 0) {
        const int error = errno;
        ::unlink(written.constData());
        throw failureFromErrno(error);
    }
}

void FileChannel::abandon()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_mode == Mode::Output)
        ::unlink(encodedPath(m_writtenPath).constData());
    m_mode = Mode::Closed;
    m_items.clear();
}
