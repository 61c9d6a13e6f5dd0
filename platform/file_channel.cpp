#include "platform/file_channel.h"

#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
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
    case EDQUOT:
    case EFBIG: return failureOf(err::DiskFull);
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

// Opens the file that takes the place of another on close, with the other's
// owner and mode; -1 where the folder may not take a new file or the owner
// could not be kept (only root may give a file away).
int openReplacement(const QString &path, const struct stat *original)
{
    const QByteArray name = encodedPath(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            return -1;
        throw failureOpening(path, errno);
    }
    struct stat made;
    const bool kept = !original
                      || (::fstat(fd, &made) == 0
                          && ((made.st_uid == original->st_uid && made.st_gid == original->st_gid)
                              || ::fchown(fd, original->st_uid, original->st_gid) == 0)
                          && ::fchmod(fd, original->st_mode & 07777) == 0);
    if (kept)
        return fd;
    ::close(fd);
    ::unlink(name.constData());
    return -1;
}

// Opens without waiting for a FIFO's other end, then makes sure the file is
// one the channel can use: a regular file, or a device where that is allowed.
int openChecked(const QString &path, int flags, bool devicesAllowed)
{
    const int fd = ::open(encodedPath(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        throw failureOpening(path, errno);  // ENXIO: a FIFO nobody reads, which would have blocked
    struct stat status;
    const bool usable = ::fstat(fd, &status) == 0
                        && (S_ISREG(status.st_mode) || (devicesAllowed && S_ISCHR(status.st_mode)));
    if (!usable) {
        ::close(fd);
        raise(err::PathFileAccess);
    }
    // Blocking again for the writes, which must reach the system whole.
    const int opened = ::fcntl(fd, F_GETFL);
    if (opened < 0 || ::fcntl(fd, F_SETFL, opened & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        throw failureFromErrno(error);
    }
    return fd;
}

// Where a file that may not exist yet would be: links followed, the folder
// in its canonical form.
QString placeOf(const QString &path)
{
    QFileInfo info(path);
    if (info.isSymLink())
        info = QFileInfo(info.symLinkTarget());
    return info.absoluteDir().canonicalPath() + u'/' + info.fileName();
}

}  // namespace

bool sameFile(const QString &first, const QString &second)
{
    struct stat a, b;
    const bool firstExists = ::stat(encodedPath(first).constData(), &a) == 0;
    const bool secondExists = ::stat(encodedPath(second).constData(), &b) == 0;
    if (firstExists || secondExists)
        return firstExists && secondExists && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return placeOf(first) == placeOf(second);
}

void writeWholeFile(const QString &path, QByteArrayView bytes)
{
    const QByteArray target = encodedPath(path);
    struct stat existing;
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        raise(err::PathFileAccess);
    const QFileInfo place(path);
    QByteArray made = encodedPath(place.absolutePath() + QStringLiteral("/.") + place.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(made.data(), O_CLOEXEC);
    if (fd < 0)
        throw failureOpening(path, errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int error = ::fchmod(fd, exists ? existing.st_mode & 07777 : 0666 & ~mask) == 0 ? 0 : errno;
    for (qsizetype done = 0; error == 0 && done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (written >= 0)
            done += written;
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(made.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(made.constData());
        throw failureFromErrno(error);
    }
}

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
    const int fd = openChecked(path, O_RDONLY, false);
    // One byte more than is taken tells whether the file goes on.
    QByteArray content(kMostInput + 1, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < content.size()) {
        const ssize_t got = ::read(fd, content.data() + size, size_t(content.size() - size));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            throw failureFromErrno(error);
        }
        size += got;
    }
    ::close(fd);
    m_inputCut = size > kMostInput;
    if (m_inputCut) {
        // Only the whole lines of what was read: the last one may go on.
        size = kMostInput;
        while (size > 0 && content[size - 1] != '\n' && content[size - 1] != '\r')
            --size;
    }
    content.truncate(size);
    m_items = splitItems(content);
    m_next = 0;
    m_mode = Mode::Input;
}

void FileChannel::openAppend(const QString &path)
{
    if (isOpen())
        raise(err::FileAlreadyOpen);
    // Read access too, where the file gives it, to see how the file ends.
    try {
        m_fd = openChecked(path, O_RDWR | O_CREAT | O_APPEND, true);
    } catch (const Failure &failure) {
        if (failure.number != err::PermissionDenied)
            throw;
        m_fd = openChecked(path, O_WRONLY | O_CREAT | O_APPEND, true);
    }
    m_path = QFileInfo(path).absoluteFilePath();
    m_mode = Mode::Append;
    struct stat status;
    const FileIdentity identity = ::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode)
                                      ? FileIdentity{quint64(status.st_dev), quint64(status.st_ino)}
                                      : FileIdentity{};
    // Opened again (as every tenth line does), the same file still ends
    // where this channel's last line did, unless another writer wrote since.
    if (identity != std::exchange(m_identity, identity) || !identity.isFile())
        m_lineEnd = -1;
}

std::shared_ptr<ReadBack> FileChannel::readBack() const
{
    if (m_mode != Mode::Append || !m_identity.isFile())
        return nullptr;
    // The file as this channel has it open, whatever its name is by now.
    const int fd = ::open(QByteArray("/proc/self/fd/" + QByteArray::number(m_fd)).constData(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? nullptr : std::make_shared<ReadBack>(fd);
}

ReadBack::~ReadBack()
{
    ::close(m_fd);
}

QByteArray ReadBack::read(qint64 offset, qsizetype length) const
{
    QByteArray bytes(length, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < length) {
        const ssize_t n = ::pread(m_fd, bytes.data() + got, size_t(length - got), offset + got);
        if (n > 0)
            got += n;
        else if (n == 0)
            break;
        else if (errno != EINTR)
            throw failureFromErrno(errno);
    }
    bytes.truncate(got);
    return bytes;
}

void FileChannel::openOutput(const QString &path)
{
    if (isOpen())
        raise(err::FileAlreadyOpen);
    // Write where a link points, and refuse a file the user may not write,
    // just as truncating it in place would.
    const QFileInfo target(path);
    m_replacedPath = target.isSymLink() ? target.symLinkTarget() : path;
    const QByteArray replaced = encodedPath(m_replacedPath);
    struct stat existing;
    const bool exists = ::stat(replaced.constData(), &existing) == 0;
    if (exists) {
        if (::access(replaced.constData(), W_OK) != 0)
            throw failureFromErrno(errno);
        if (!S_ISREG(existing.st_mode))
            raise(err::PathFileAccess);  // only a regular file is replaced
    }
    m_writtenPath = m_replacedPath + QStringLiteral(".new");
    // Another name of the file (a hard link) would go on naming the old one.
    m_fd = exists && existing.st_nlink > 1 ? -1 : openReplacement(m_writtenPath, exists ? &existing : nullptr);
    if (m_fd < 0) {
        m_writtenPath.clear();
        openForWriting(m_replacedPath, O_WRONLY | O_CREAT | O_TRUNC);
    }
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
    return m_mode != Mode::Input || (m_next >= m_items.size() && !m_inputCut);
}

QByteArray FileChannel::readItem()
{
    if (m_mode != Mode::Input)
        raise(err::BadFileNumber);
    if (m_next >= m_items.size())
        raise(err::InputPastEnd);
    return m_items[m_next++];
}

qint64 FileChannel::writeLine(QByteArrayView text)
{
    if (m_mode != Mode::Append && m_mode != Mode::Output)
        raise(err::BadFileNumber);
    struct stat status;
    if (m_mode == Mode::Append && ::fstat(m_fd, &status) != 0)
        throw failureFromErrno(errno);
    // A file removed while open would still take lines, but nobody would ever
    // read them: the channel lets go of it and the line counts as not written.
    if (m_mode == Mode::Append && status.st_nlink == 0) {
        abandon();
        raise(err::BadFileNumber);
    }
    const bool regular = m_mode == Mode::Append && S_ISREG(status.st_mode);
    // Another writer's line cut short would glue this one onto it: a new line is begun first.
    const bool newLine = regular && status.st_size > 0 && status.st_size != m_lineEnd && !endsWithLineEnd(status.st_size);
    const QByteArrayView parts[] = {newLine ? QByteArrayView("\r\n") : QByteArrayView(), text, "\r\n"};
    const qsizetype written = writeAll(parts);
    const qsizetype whole = parts[0].size() + text.size() + 2;
    if (written == whole) {
        // Appending leaves the position after this write's own bytes, wherever
        // other writers' lines went meanwhile.
        m_lineEnd = regular ? ::lseek(m_fd, 0, SEEK_CUR) : -1;
        return m_lineEnd < 0 ? -1 : m_lineEnd - text.size() - 2;
    }
    const int error = errno;
    if (regular)
        takeBack(written);
    m_lineEnd = -1;
    throw failureFromErrno(error);
}

// A file open for writing only cannot tell, and is taken to end a line.
bool FileChannel::endsWithLineEnd(off_t size) const
{
    char end[2];
    const ssize_t got = ::pread(m_fd, end, 2, size - 2);
    return got < 0 ? errno == EBADF : got == 2 && end[0] == '\r' && end[1] == '\n';
}

// One system call for the parts in the usual case. Gives how many bytes
// were written; fewer than all of them with errno set.
qsizetype FileChannel::writeAll(std::span<const QByteArrayView> parts)
{
    iovec vectors[3];
    int count = 0;
    for (const QByteArrayView part : parts) {
        if (!part.isEmpty())
            vectors[count++] = {const_cast<char *>(part.data()), size_t(part.size())};
    }
    iovec *part = vectors;
    qsizetype total = 0;
    while (count > 0) {
        const ssize_t written = ::writev(m_fd, part, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return total;
        }
        total += written;
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
    return total;
}

// Takes a failed line's first `written` bytes back out of the file, but
// only while the file still ends with them: a line another writer appended
// since is never cut.
void FileChannel::takeBack(qsizetype written)
{
    const off_t end = ::lseek(m_fd, 0, SEEK_CUR);  // appending leaves it after this write's bytes
    struct stat status;
    if (written == 0 || end < written || ::fstat(m_fd, &status) != 0 || status.st_size != end)
        return;
    // Where even this fails, the torn bytes stay; the line after them then
    // begins anew, as after any line that does not end.
    int truncated;
    do
        truncated = ::ftruncate(m_fd, end - written);
    while (truncated != 0 && errno == EINTR);
}

void FileChannel::close()
{
    const Mode mode = m_mode;
    m_mode = Mode::Closed;
    m_items = {};  // a list cleared keeps its room
    m_inputCut = false;
    if (m_fd < 0)
        return;
    const int closed = ::close(m_fd);
    const int closeError = errno;
    m_fd = -1;
    if (mode != Mode::Output)
        return;
    const QByteArray written = encodedPath(m_writtenPath);
    if (closed != 0) {
        if (!m_writtenPath.isEmpty())
            ::unlink(written.constData());
        throw failureFromErrno(closeError);
    }
    if (m_writtenPath.isEmpty())
        return;  // written in place
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
    if (m_mode == Mode::Output && !m_writtenPath.isEmpty())
        ::unlink(encodedPath(m_writtenPath).constData());
    m_mode = Mode::Closed;
    m_items = {};
    m_inputCut = false;
}
