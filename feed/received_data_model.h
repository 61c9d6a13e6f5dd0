#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QCache>
#include <QDateTime>
#include <QStringList>

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

class FileChannel;
class ReadBack;

// One arrival as the viewer opens it: its bytes as the data file gives them
// back, checked whole against what was written, or, where it cannot, why not
// in plain words.
struct ArrivalRecord {
    qint32 number = 0;  // the count it was given
    QDateTime received;
    qint32 length = 0;
    QByteArray bytes;  // whole, unless `problem` says otherwise
    QString problem;
};

// The rows of the received-data list: one per arrival, one column, "Data
// In". A row keeps only where its bytes went (which file, the offset and
// length of its line and a digest of it, 32 bytes), so the list
// costs the same however large the arrivals are.
//
// A row reads its bytes back from the file they were written to, kept open
// (the last eight data files), so a data file renamed, moved or removed while
// the program runs still gives its rows; a file cut short or rewritten gives
// the honest "no longer…" instead of other bytes: the rows written before a
// cut are told so as it is noticed, and whatever is read whole is checked
// against the digest. The newest rows, and rows read lately, come from a
// bounded cache, so rows in sight cost no reading while arrivals come in.
// Arrivals that went where they cannot be read back from (a device such as
// /dev/null) keep their first bytes.
class ReceivedDataModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr qsizetype kShownBytes = 4096;  // of a row, the most it ever shows

    explicit ReceivedDataModel(QObject *parent = nullptr);
    ~ReceivedDataModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The frame characters in use, for telling arrivals that continue
    // another or hold several messages.
    void setFraming(const QByteArray &start, const QByteArray &end);
    const QByteArray &framingStart() const { return m_start; }
    const QByteArray &framingEnd() const { return m_end; }
    // Adds an empty row at the end, stamped with when it was received, and gives its index.
    int appendEmptyRow(const QDateTime &received);
    // Fills a row: the arrival's count and bytes, and where its line went in
    // the data file the channel appends to (offset -1: it cannot be read back).
    void setRowArrival(int row, qint32 number, const QByteArray &bytes, const FileChannel &dataFile, qint64 offset);

    // What a row shows: its first bytes (at most kShownBytes) and how the
    // arrival stands to the framing, or why it cannot be shown.
    struct Shown {
        QByteArray bytes;
        qint32 length = 0;  // of the whole arrival
        bool continuesPrevious = false, continuesInNext = false, severalMessages = false;
        QString problem;    // set where the bytes cannot be shown

        // "continues the previous arrival", "continues in the next arrival",
        // "holds several framed messages", as they apply.
        QStringList framingNotes() const;
    };
    Shown shown(int row) const;
    // The row as text, by the visible-text rule, at most `maxBytes` of it.
    QString displayText(int row, qsizetype maxBytes) const;
    ArrivalRecord arrival(int row) const;
    // The bytes of a row for a search, whole, or none.
    QByteArray bytesForSearch(int row) const;
    // Empties the list and gives its memory back.
    void clear();

private:
    struct Row;
    struct KeptFile;
    enum class Lookup { Found, Empty, Kept, Gone };
    Lookup lookUp(int index, qsizetype maxBytes, QByteArray &bytes) const;
    void cacheHead(int row, const QByteArray &bytes) const;

    std::deque<Row> m_rows;
    std::vector<KeptFile> m_files;
    mutable QCache<int, QByteArray> m_heads;  // rows' first bytes, newest and lately read
    std::unordered_map<int, QByteArray> m_kept;  // the first bytes of rows that cannot be read back
    QByteArray m_start, m_end;
};
