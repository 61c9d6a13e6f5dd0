#include "feed/received_data_model.h"

#include "formats/visible_text.h"
#include "platform/failure.h"
#include "platform/file_channel.h"

namespace {

// How much of each end of an arrival its checksum covers, and how much of
// an arrival that cannot be read back a row keeps.
constexpr qsizetype kSampled = 512;
constexpr qsizetype kKept = 256;
constexpr qsizetype kTipBytes = 1024;

const QString kGone = QStringLiteral("(no longer in the data file as it was stored)");

// Where the tail the checksum covers starts.
qsizetype tailStart(qsizetype length)
{
    return qMax(qMin(kSampled, length), length - kSampled);
}

// FNV-1a over the first and the last bytes: cheap to check from two short reads.
quint32 sampledChecksum(QByteArrayView head, QByteArrayView tail)
{
    quint32 hash = 2166136261u;
    for (const QByteArrayView part : {head, tail}) {
        for (const char byte : part)
            hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
    }
    return hash;
}

}  // namespace

int ReceivedDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReceivedDataModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant ReceivedDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return displayText(index.row(), role == Qt::DisplayRole ? 4096 : kTipBytes);
}

QVariant ReceivedDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return QStringLiteral("Data In");
    return {};
}

int ReceivedDataModel::appendEmptyRow(const QDateTime &received)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.emplace_back().receivedMs = received.toMSecsSinceEpoch();
    endInsertRows();
    return row;
}

void ReceivedDataModel::setRowArrival(int row, qint32 number, QByteArrayView bytes, const QString &dataFile,
                                      qint64 offset)
{
    if (row < 0 || size_t(row) >= m_rows.size())
        return;  // the list was cleared while the arrival was being stored
    Row &r = m_rows[size_t(row)];
    r.number = number;
    r.length = qint32(bytes.size());
    r.offset = offset;
    if (offset < 0) {
        r.kept = bytes.first(qMin(bytes.size(), kKept)).toByteArray();
    } else {
        r.checksum = sampledChecksum(bytes.first(qMin(kSampled, bytes.size())), bytes.sliced(tailStart(bytes.size())));
        qsizetype file = m_files.indexOf(dataFile);
        if (file < 0) {
            file = m_files.size();
            m_files.append(dataFile);
        }
        r.file = quint16(file);
    }
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

ReceivedDataModel::Lookup ReceivedDataModel::lookUp(const Row &row, qsizetype maxBytes, QByteArray &bytes) const
{
    if (row.number == 0)
        return Lookup::Empty;
    if (row.offset < 0) {
        bytes = row.kept.first(qMin(row.kept.size(), maxBytes));
        return Lookup::Kept;
    }
    const QString &path = m_files[row.file];
    const qsizetype length = row.length;
    const qsizetype tail = tailStart(length);
    QByteArray end;
    try {
        bytes = readRange(path, row.offset, qMin(length, qMax(maxBytes, kSampled)));
        end = readRange(path, row.offset + tail, length - tail + 2);
    } catch (const Failure &) {
        return Lookup::Gone;
    }
    const qsizetype head = qMin(kSampled, length);
    if (bytes.size() < qMin(length, qMax(maxBytes, kSampled)) || end.size() != length - tail + 2
        || !end.endsWith("\r\n") || sampledChecksum(QByteArrayView(bytes).first(head), QByteArrayView(end).chopped(2)) != row.checksum)
        return Lookup::Gone;
    bytes.truncate(qMin(bytes.size(), maxBytes));
    return Lookup::Found;
}

QString ReceivedDataModel::displayText(int row, qsizetype maxBytes) const
{
    const Row &r = m_rows[size_t(row)];
    QByteArray bytes;
    switch (lookUp(r, maxBytes, bytes)) {
    case Lookup::Empty: return {};
    case Lookup::Gone: return kGone;
    default: break;
    }
    QString text = visibleText(bytes, maxBytes);
    if (bytes.size() < r.length && !text.endsWith(u'\u2026'))
        text += u'\u2026';  // cut short here, or kept only in part
    return text;
}

ArrivalRecord ReceivedDataModel::arrival(int row) const
{
    const Row &r = m_rows[size_t(row)];
    ArrivalRecord record;
    record.number = r.number;
    record.received = QDateTime::fromMSecsSinceEpoch(r.receivedMs);
    record.length = r.length;
    switch (lookUp(r, r.length, record.bytes)) {
    case Lookup::Empty:
        record.problem = QStringLiteral("This arrival was not stored: storing it in the data file failed, "
                                        "so its bytes are not kept anywhere.");
        break;
    case Lookup::Gone:
        record.bytes.clear();
        record.problem = QStringLiteral("The data file no longer holds this arrival as it was stored: it has been "
                                        "moved, cut short or rewritten since.\n%1")
                             .arg(m_files[r.file]);
        break;
    case Lookup::Kept:
        if (r.kept.size() < r.length)
            record.problem = QStringLiteral("The data file cannot give arrivals back (it is not a regular file); "
                                            "only the first %1 bytes were kept.")
                                 .arg(r.kept.size());
        break;
    case Lookup::Found: break;
    }
    return record;
}

void ReceivedDataModel::clear()
{
    beginResetModel();
    std::deque<Row>().swap(m_rows);
    m_files.clear();
    endResetModel();
}
