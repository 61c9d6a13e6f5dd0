#include "feed/received_data_model.h"

#include <malloc.h>

#include <algorithm>

#include "formats/arrival_shape.h"
#include "formats/visible_text.h"
#include "platform/failure.h"
#include "platform/file_channel.h"

namespace {

// How many data files stay open for their rows, how much a row that
// cannot be read back keeps, and how much the cache of rows' first bytes holds.
constexpr size_t kKeptFiles = 8;
constexpr qsizetype kKept = 256;
constexpr qsizetype kTipBytes = 1024;
constexpr int kCachedBytes = 1024 * 1024;

const QString kGone = QStringLiteral("(no longer in the data file as it was stored)");

// 32 bits of a hash of the whole line: a changed line is told from its own
// but for a chance in four billion, and the row stays small.
quint32 digestOf(QByteArrayView line)
{
    const size_t hash = qHash(line, size_t(0x636f7276616e65));
    return quint32(hash ^ (quint64(hash) >> 32));
}

enum Shape : quint8 { ContinuesPrevious = 1, ContinuesInNext = 2, SeveralMessages = 4 };

}  // namespace

struct ReceivedDataModel::Row {
    qint64 offset = -1;  // of its line in the data file; -1: its first bytes are kept instead
    qint64 receivedMs = 0;
    quint32 digest = 0;  // of the whole line, as written
    qint32 number = 0;   // 0 while the row is empty
    qint32 length = 0;
    quint16 file = 0;  // in m_files
    quint8 shape = 0;
};

// A data file rows went to: kept open for the newest ones; rows numbered
// before `firstValid` were there before the file was cut short or rewritten.
struct ReceivedDataModel::KeptFile {
    FileIdentity identity;
    std::shared_ptr<ReadBack> readBack;
    QString path;
    qint64 end = 0;  // of the last line written to it
    qint32 firstValid = 0;
};

ReceivedDataModel::ReceivedDataModel(QObject *parent) : QAbstractTableModel(parent), m_heads(kCachedBytes) {}

ReceivedDataModel::~ReceivedDataModel() = default;

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
    if (role == Qt::DisplayRole)
        return displayText(index.row(), kShownBytes);
    const Shown row = shown(index.row());
    if (!row.problem.isEmpty())
        return row.problem;
    QStringList tip = {visibleText(row.bytes, kTipBytes),
                       QStringLiteral("%1 bytes, read as %2").arg(row.length).arg(decodingName(decodingOf(row.bytes)))};
    tip += row.framingNotes();
    return tip.join(u'\n');
}

QVariant ReceivedDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return QStringLiteral("Data In");
    return {};
}

void ReceivedDataModel::setFraming(const QByteArray &start, const QByteArray &end)
{
    m_start = start;
    m_end = end;
}

int ReceivedDataModel::appendEmptyRow(const QDateTime &received)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.emplace_back().receivedMs = received.toMSecsSinceEpoch();
    endInsertRows();
    return row;
}

void ReceivedDataModel::setRowArrival(int row, qint32 number, const QByteArray &bytes, const FileChannel &dataFile,
                                      qint64 offset)
{
    if (row < 0 || size_t(row) >= m_rows.size())
        return;  // the list was cleared while the arrival was being stored
    Row &r = m_rows[size_t(row)];
    r.number = number;
    r.length = qint32(bytes.size());
    const ArrivalShape shape = arrivalShape(bytes, m_start, m_end);
    r.shape = quint8((shape.continuesPrevious ? ContinuesPrevious : 0) | (shape.continuesInNext ? ContinuesInNext : 0)
                     | (shape.messages > 1 ? SeveralMessages : 0));
    const FileIdentity identity = dataFile.identity();
    if (offset < 0 || !identity.isFile()) {
        m_kept[row] = bytes.first(qMin(bytes.size(), kKept));
    } else {
        r.offset = offset;
        r.digest = digestOf(bytes);
        auto file = std::find_if(m_files.rbegin(), m_files.rend(), [&](const KeptFile &f) { return f.identity == identity; });
        if (file == m_files.rend() || !file->readBack) {
            m_files.push_back({identity, dataFile.readBack(), dataFile.path()});
            if (m_files.size() > kKeptFiles)
                m_files[m_files.size() - kKeptFiles - 1].readBack.reset();  // its rows say they are gone
            file = m_files.rbegin();
        } else if (offset < file->end) {
            file->firstValid = number;  // cut short or rewritten: the rows before may not read back
        }
        file->end = offset + bytes.size() + 2;
        r.file = quint16(m_files.rend() - file - 1);
        cacheHead(row, bytes);
    }
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

// Up to `maxBytes` of a row's bytes; a row read back whole is checked against
// its digest, one read in part against its line's end.
ReceivedDataModel::Lookup ReceivedDataModel::lookUp(int index, qsizetype maxBytes, QByteArray &bytes) const
{
    const Row &row = m_rows[size_t(index)];
    if (row.number == 0)
        return Lookup::Empty;
    if (row.offset < 0) {
        const QByteArray &kept = m_kept.at(index);
        bytes = kept.first(qMin(kept.size(), maxBytes));
        return Lookup::Kept;
    }
    const KeptFile &file = m_files[row.file];
    if (!file.readBack || row.number < file.firstValid)
        return Lookup::Gone;
    if (maxBytes <= kShownBytes) {
        if (const QByteArray *head = m_heads.object(index)) {
            bytes = head->first(qMin(head->size(), maxBytes));
            return Lookup::Found;
        }
    }
    const bool whole = maxBytes >= row.length || row.length <= kShownBytes;
    try {
        if (whole) {
            bytes = file.readBack->read(row.offset, row.length + 2);
            if (!bytes.endsWith("\r\n") || bytes.size() != row.length + 2
                || digestOf(QByteArrayView(bytes).chopped(2)) != row.digest)
                return Lookup::Gone;
            bytes.chop(2);
        } else {
            bytes = file.readBack->read(row.offset, maxBytes);
            if (bytes.size() != maxBytes || file.readBack->read(row.offset + row.length, 2) != "\r\n")
                return Lookup::Gone;
        }
    } catch (const Failure &) {
        return Lookup::Gone;
    }
    cacheHead(index, bytes);
    bytes.truncate(qMin(bytes.size(), maxBytes));
    return Lookup::Found;
}

// A short line is shared rather than copied, unless it holds on to much more
// memory than it uses.
void ReceivedDataModel::cacheHead(int row, const QByteArray &bytes) const
{
    const qsizetype head = qMin(bytes.size(), kShownBytes);
    const bool shared = head == bytes.size() && bytes.capacity() <= 2 * head + 64;
    m_heads.insert(row, new QByteArray(shared ? bytes : bytes.first(head)), int(head) + 64);
}

QStringList ReceivedDataModel::Shown::framingNotes() const
{
    QStringList notes;
    if (continuesPrevious)
        notes << QStringLiteral("continues the previous arrival");
    if (continuesInNext)
        notes << QStringLiteral("continues in the next arrival");
    if (severalMessages)
        notes << QStringLiteral("holds several framed messages");
    return notes;
}

ReceivedDataModel::Shown ReceivedDataModel::shown(int row) const
{
    Shown result;
    const Row &r = m_rows[size_t(row)];
    result.length = r.length;
    result.continuesPrevious = r.shape & ContinuesPrevious;
    result.continuesInNext = r.shape & ContinuesInNext;
    result.severalMessages = r.shape & SeveralMessages;
    if (lookUp(row, kShownBytes, result.bytes) == Lookup::Gone)
        result.problem = kGone;
    return result;
}

QString ReceivedDataModel::displayText(int row, qsizetype maxBytes) const
{
    const Row &r = m_rows[size_t(row)];
    QByteArray bytes;
    switch (lookUp(row, maxBytes, bytes)) {
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
    switch (lookUp(row, r.length, record.bytes)) {
    case Lookup::Empty:
        record.problem = QStringLiteral("This arrival was not stored: storing it in the data file failed, "
                                        "so its bytes are not kept anywhere.");
        break;
    case Lookup::Gone:
        record.bytes.clear();
        record.problem = QStringLiteral("The data file no longer holds this arrival as it was stored: it has been "
                                        "cut short or rewritten since, or is no longer kept open.\n%1")
                             .arg(m_files[r.file].path);
        break;
    case Lookup::Kept:
        if (record.bytes.size() < r.length)
            record.problem = QStringLiteral("The data file cannot give arrivals back (it is not a regular file); "
                                            "only the first %1 bytes were kept.")
                                 .arg(record.bytes.size());
        break;
    case Lookup::Found: break;
    }
    return record;
}

QByteArray ReceivedDataModel::bytesForSearch(int row) const
{
    QByteArray bytes;
    const Lookup found = lookUp(row, m_rows[size_t(row)].length, bytes);
    return found == Lookup::Found || found == Lookup::Kept ? bytes : QByteArray();
}

void ReceivedDataModel::clear()
{
    beginResetModel();
    std::deque<Row>().swap(m_rows);
    m_heads.clear();
    m_kept = {};
    // The files stay kept: the next arrivals go on into them.
    endResetModel();
    ::malloc_trim(0);  // the rows' memory goes back to the system, not only to the heap
}
