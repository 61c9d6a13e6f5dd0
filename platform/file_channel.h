#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <sys/types.h>

#include <memory>
#include <span>

// Which file on disk: the same whatever it is named or moved to.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;

    bool isFile() const { return inode != 0; }
    bool operator==(const FileIdentity &) const = default;
};

// A file kept open for reading back the lines written to it, wherever it is
// renamed or moved meanwhile and also after it is removed, for as long as it
// is kept. Reading from several threads at once is safe.
class ReadBack {
public:
    explicit ReadBack(int fd) : m_fd(fd) {}
    ReadBack(const ReadBack &) = delete;
    ReadBack &operator=(const ReadBack &) = delete;
    ~ReadBack();

    // Up to `length` bytes from `offset`, fewer where the file ends sooner;
    // a file that cannot be read raises its failure, as a channel does.
    QByteArray read(qint64 offset, qsizetype length) const;

private:
    int m_fd;
};

// One sequential text file, either open or closed, used the way the program's
// channels are: open for input, for appending or for writing; read items; write
// lines ending CR LF. Bytes in, bytes out: one character is one byte.
//
// Failures are numbered: opening an open channel is 55, writing to a closed one
// is 52, reading past the end is 62; operating-system errors map to 53, 61, 67,
// 70, 75 or 76. Opening never waits: a FIFO, a folder or a socket is refused
// (75) rather than blocking the program until some other process opens it.
class FileChannel {
public:
    FileChannel() = default;
    FileChannel(const FileChannel &) = delete;
    FileChannel &operator=(const FileChannel &) = delete;
    ~FileChannel();

    // Reads a regular file, at most kMostInput bytes of it; items are then
    // handed out by readItem(). Reading beyond those bytes of a longer file
    // fails (62) as if the file ended there.
    static constexpr qsizetype kMostInput = 1024 * 1024;
    void openInput(const QString &path);
    // Creates the file when missing; every line goes to the end of the file.
    // A regular file or a device such as /dev/null.
    void openAppend(const QString &path);
    // Replaces the file. The lines go to a file beside it that takes the
    // file's place, owner and mode on close, so a crash never leaves a
    // half-written file. Where the folder takes no new file, the owner could
    // not be kept, or the file has other names (hard links), it is rewritten
    // in place instead.
    void openOutput(const QString &path);

    bool isOpen() const { return m_mode != Mode::Closed; }
    bool atEnd() const;
    // The next line, leading blanks dropped. Past the end: failure 62.
    QByteArray readItem();
    // Writes the text and CR LF; the bytes reach the operating system before
    // this returns. Where the file does not end with a line end (another
    // writer's line cut short), a new line is begun first. A line that cannot
    // be written whole (a full disk) is taken back out of the file before the
    // failure is raised, so no torn line is left behind, unless another
    // writer has appended since. A file that was removed while open is let
    // go of, and the line is failure 52, as for a closed channel. Gives where
    // the line starts in a regular file opened for appending, else -1.
    qint64 writeLine(QByteArrayView text);
    // The file opened for appending, as an absolute path, and which file it
    // is (none for a device); the file kept open for reading back what was
    // written to it (none for a device or a file this program may not read).
    const QString &path() const { return m_path; }
    FileIdentity identity() const { return m_identity; }
    std::shared_ptr<ReadBack> readBack() const;
    // Closing a closed channel does nothing.
    void close();
    // Closes after a failure: a file being replaced (not rewritten in place)
    // keeps its old content.
    void abandon();

private:
    enum class Mode { Closed, Input, Append, Output };

    void openForWriting(const QString &path, int flags);
    qsizetype writeAll(std::span<const QByteArrayView> parts);
    bool endsWithLineEnd(off_t size) const;
    void takeBack(qsizetype written);

    Mode m_mode = Mode::Closed;
    int m_fd = -1;
    QList<QByteArray> m_items;
    qsizetype m_next = 0;
    bool m_inputCut = false;  // the file goes on beyond the items read
    QString m_path;
    FileIdentity m_identity;
    off_t m_lineEnd = -1;  // where this channel's last line ended, appending
    QString m_replacedPath;  // output mode: the file that the written one replaces
    QString m_writtenPath;  // empty when the file is rewritten in place
};

// Whether two paths name the same file: after following links, the same file
// on disk, or, where neither exists yet, the same place in the same folder.
bool sameFile(const QString &first, const QString &second);

// Writes a file whole or not at all: the bytes go to a new file beside it,
// which takes its place once complete. Only a regular file is replaced (a
// FIFO, a device or a folder is failure 75, and nothing waits for one);
// failures carry the numbers above, a full disk 61.
void writeWholeFile(const QString &path, QByteArrayView bytes);

// The items of a file's content: one per line (a line ends at CR LF, LF or CR),
// an empty line an empty item, blanks and tabs at the start of an item dropped.
QList<QByteArray> splitItems(QByteArrayView content);
