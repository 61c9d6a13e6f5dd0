#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <deque>

// One arrival as the viewer opens it: its bytes as the data file gives them
// back, or, where it cannot, why not in plain words.
struct ArrivalRecord {
    qint32 number = 0;  // the count it was given
    QDateTime received;
    qint32 length = 0;
    QByteArray bytes;  // whole, unless `problem` says otherwise
    QString problem;
};

// The rows of the received-data list: one per arrival, one column, "Data
// In". A row keeps only where its bytes went (the data file, the offset and
// length of its line and a short checksum), so the list costs the same few
// dozen bytes per arrival however large the arrivals are; the bytes come back
// from the data file when a row is painted or opened. A line the file no
// longer holds as it was written (moved, cut short, rewritten) is never shown
// as other bytes: the row says so. Arrivals that went where they cannot be
// read back from (a device such as /dev/null) keep their first bytes.
class ReceivedDataModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Adds an empty row at the end, stamped with when it was received, and gives its index.
    int appendEmptyRow(const QDateTime &received);
    // Fills a row: the arrival's count and bytes, and where its line starts
    // in the data file (-1 where the file cannot give it back).
    void setRowArrival(int row, qint32 number, QByteArrayView bytes, const QString &dataFile, qint64 offset);
    // The row as shown: at most `maxBytes` of its bytes, by the visible-text rule.
    QString displayText(int row, qsizetype maxBytes) const;
    ArrivalRecord arrival(int row) const;
    // Empties the list and gives its memory back.
    void clear();

private:
    struct Row {
        qint64 offset = -1;  // of its line in the data file
        qint64 receivedMs = 0;
        qint32 number = 0;  // 0 while the row is empty
        qint32 length = 0;
        quint32 checksum = 0;
        quint16 file = 0;  // in m_files
        QByteArray kept;   // only where the line cannot be read back
    };
    enum class Lookup { Found, Empty, Kept, Gone };
    // Reads back up to `maxBytes` of a row's bytes, checking that the line is the one stored.
    Lookup lookUp(const Row &row, qsizetype maxBytes, QByteArray &bytes) const;

    std::deque<Row> m_rows;
    QStringList m_files;
};
