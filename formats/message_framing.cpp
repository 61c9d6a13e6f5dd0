#include "formats/message_framing.h"

#include "formats/byte_search.h"

namespace {

// A part of the bytes, shared rather than copied when it is all of them.
QByteArray piece(const QByteArray &bytes, qsizetype from, qsizetype to)
{
    return from == 0 && to == bytes.size() ? bytes : bytes.sliced(from, to - from);
}

// How many of the last bytes could be the first characters of `start`.
qsizetype startPrefixAtEnd(QByteArrayView bytes, QByteArrayView start)
{
    for (qsizetype n = qMin(bytes.size(), start.size() - 1); n > 0; --n) {
        if (bytes.last(n) == start.first(n))
            return n;
    }
    return 0;
}

}  // namespace

QList<FramedUnit> MessageFramer::take(const QByteArray &bytes, QByteArrayView start, QByteArrayView end)
{
    QList<FramedUnit> units;
    if (end.isEmpty()) {
        if (auto kept = rest())
            units.append(std::move(*kept));
        if (!bytes.isEmpty())
            units.append({FramedUnit::Kind::Message, bytes});
        return units;
    }
    QByteArray data = m_pending.isEmpty() ? bytes : std::move(m_pending.append(bytes));
    m_pending.clear();
    qsizetype at = 0;
    qsizetype searchFrom = std::exchange(m_searched, 0);
    while (at < data.size()) {
        if (m_outsideToEnd || !m_inMessage) {
            const QByteArrayView sought = m_outsideToEnd ? end : start;
            const qsizetype found = sought.isEmpty() ? at : findBytes(data, sought, at);
            if (found < 0) {
                const qsizetype kept = m_outsideToEnd ? 0 : startPrefixAtEnd(QByteArrayView(data).sliced(at), start);
                if (data.size() - kept > at)
                    units.append({FramedUnit::Kind::Outside, piece(data, at, data.size() - kept)});
                m_pending = data.sliced(data.size() - kept);
                return units;
            }
            const qsizetype outsideEnd = m_outsideToEnd ? found + end.size() : found;
            if (outsideEnd > at)
                units.append({FramedUnit::Kind::Outside, piece(data, at, outsideEnd)});
            at = outsideEnd;
            if (std::exchange(m_outsideToEnd, false))
                continue;
            m_inMessage = true;
            searchFrom = at + start.size();
            continue;
        }
        // In a message that begins at `at`.
        const qsizetype found = findBytes(data, end, qMax(searchFrom, at + start.size()));
        if (found < 0) {
            if (data.size() - at > kMostMessage) {
                units.append({FramedUnit::Kind::CutShort, piece(data, at, data.size())});
                m_inMessage = false;
                m_outsideToEnd = start.isEmpty();
                return units;
            }
            m_pending = piece(data, at, data.size());
            m_searched = qMax<qsizetype>(0, m_pending.size() - end.size() + 1);
            return units;
        }
        const qsizetype messageEnd = found + end.size();
        units.append({FramedUnit::Kind::Message, piece(data, at, messageEnd)});
        m_inMessage = false;
        at = messageEnd;
    }
    return units;
}

std::optional<FramedUnit> MessageFramer::rest()
{
    const bool inMessage = std::exchange(m_inMessage, false);
    m_outsideToEnd = false;
    m_searched = 0;
    if (m_pending.isEmpty())
        return std::nullopt;
    return FramedUnit{inMessage ? FramedUnit::Kind::CutShort : FramedUnit::Kind::Outside, std::exchange(m_pending, {})};
}
