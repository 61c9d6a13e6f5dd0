#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// One sequential text file, either open or closed, used the way the program's
// channels are: open for input, for appending or for writing; read items; write
// lines ending CR LF. Bytes in, bytes out: one character is one byte.
//
// Failures are numbered: opening an open channel is 55, writing to a closed one
// is 52, reading past the end is 62; operating-system errors map to 53, 61, 67,
// 70, 75 or 76.
class FileChannel {
public:
    FileChannel() = default;
    FileChannel(const FileChannel &) = delete;
    FileChannel &operator=(const FileChannel &) = delete;
    ~FileChannel();

    // Reads the whole file; items are then handed out by readItem().
    void openInput(const QString &path);
    // Creates the file when missing; every line goes to the end of the file.
    void openAppend(const QString &path);
    // Replaces the file. The lines go to a file beside it that takes the
    // file's place on close, so a crash never leaves a half-written file.
    void openOutput(const QString &path);

    bool isOpen() const { return m_mode != Mode::Closed; }
    bool atEnd() const;
    // The next line, leading blanks dropped. Past the end: failure 62.
    QByteArray readItem();
    // Writes the text and CR LF; the bytes reach the operating system before
    // this returns. A file that was removed while open is let go of, and the
    // line is failure 52, as for a closed channel.
    void writeLine(QByteArrayView text);
    // Closing a closed channel does nothing.
    void close();
    // Closes after a failure: a file being replaced keeps its old content.
    void abandon();

private:
    enum class Mode { Closed, Input, Append, Output };

    void openForWriting(const QString &path, int flags);
    void writeAll(QByteArrayView first, QByteArrayView second);

    Mode m_mode = Mode::Closed;
    int m_fd = -1;
    QList<QByteArray> m_items;
    qsizetype m_next = 0;
    QString m_replacedPath;  // output mode: the file that the written one replaces
    QString m_writtenPath;
};

// The items of a file's content: one per line (a line ends at CR LF, LF or CR),
// an empty line an empty item, blanks and tabs at the start of an item dropped.
QList<QByteArray> splitItems(QByteArrayView content);
