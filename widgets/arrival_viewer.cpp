#include "widgets/arrival_viewer.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "formats/arrival_shape.h"
#include "formats/hl7_field_names.h"
#include "formats/visible_text.h"
#include "platform/failure.h"
#include "platform/file_channel.h"
#include "widgets/arrival_lines.h"

namespace {

// A position such as "PID-3(2).1" with its field's name after it.
QString namedPosition(const QString &position)
{
    static const QRegularExpression parts(QStringLiteral("^(\\w+)-(\\d+)(?:\\(\\d+\\))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = parts.match(position);
    if (!match.hasMatch())
        return position;
    const QString name = hl7FieldDescription(match.capturedView(1), match.captured(2).toInt(), match.captured(3).toInt());
    return name.isEmpty() ? position : position + u' ' + name;
}

// The message's fields, one row a component: segment, position, name, value.
class FieldTable final : public QAbstractTableModel {
public:
    FieldTable(const QByteArray &message, const Hl7Separators &separators)
        : m_message(message), m_cells(hl7Cells(message, separators))
    {
    }
    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_cells.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const titles[] = {"Segment", "Position", "Name", "Value"};
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return QString::fromLatin1(titles[section]);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const Hl7Cell &cell = m_cells[index.row()];
        const QString segment = QString::fromLatin1(cell.segment);
        switch (index.column()) {
        case 0: return segment;
        case 1: {
            QString position = segment + u'-' + QString::number(cell.field);
            if (cell.repetition > 1)
                position += QStringLiteral("(%1)").arg(cell.repetition);
            return cell.component > 0 ? position + u'.' + QString::number(cell.component) : position;
        }
        case 2: return hl7FieldDescription(segment, cell.field, cell.component);
        default: return visibleText(QByteArrayView(m_message).sliced(cell.start, cell.length));
        }
    }

private:
    QByteArray m_message;
    QList<Hl7Cell> m_cells;
};

}  // namespace

ArrivalViewer::ArrivalViewer(ArrivalRecord arrival, OperatorPort &port, SaveGuard guard, const QByteArray &start,
                             const QByteArray &end, QWidget *parent)
    : QWidget(parent, Qt::Window), m_arrival(std::move(arrival)), m_port(port), m_guard(std::move(guard)),
      m_separators(declaredSeparators(m_arrival.bytes))
{
    setObjectName(QStringLiteral("ArrivalViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString name = m_arrival.number > 0 ? QStringLiteral("Arrival %1").arg(m_arrival.number)
                                              : QStringLiteral("Arrival not stored");
    setWindowTitle(name);
    resize(760, 480);

    QString about = QStringLiteral("%1, received %2, %3 bytes")
                        .arg(name, m_arrival.received.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
                        .arg(QLocale::c().toString(m_arrival.length));
    if (m_arrival.problem.isEmpty()) {
        about += QStringLiteral(", read as ") + decodingName(decodingOf(m_arrival.bytes));
        const QString shape = shapeDescription(arrivalShape(m_arrival.bytes, start, end));
        if (!shape.isEmpty())
            about += QStringLiteral("; ") + shape;
    }
    auto *summary = new QLabel(about);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status = new QLabel(m_arrival.problem);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setVisible(!m_arrival.problem.isEmpty());

    m_views = new QTabWidget;
    m_views->setObjectName(QStringLiteral("views"));
    for (const ArrivalLines::Mode mode : {ArrivalLines::Mode::Text, ArrivalLines::Mode::Hex}) {
        auto *lines = new ArrivalLines(m_arrival.bytes, mode);
        lines->setObjectName(mode == ArrivalLines::Mode::Text ? QStringLiteral("text") : QStringLiteral("hex"));
        connect(lines, &ArrivalLines::hovered, this, &ArrivalViewer::showPosition);
        m_views->addTab(lines, mode == ArrivalLines::Mode::Text ? QStringLiteral("&Text") : QStringLiteral("&Hex"));
    }
    m_views->addTab(new QWidget, QStringLiteral("Ta&ble"));
    m_views->setTabEnabled(2, m_separators.has_value());
    connect(m_views, &QTabWidget::currentChanged, this, [this](int tab) {
        QWidget *page = m_views->widget(tab);
        if (tab == 2 && !page->layout()) {  // the table is made when first asked for
            auto *layout = new QVBoxLayout(page);
            layout->setContentsMargins({});
            layout->addWidget(fieldTable());
        }
    });

    m_position = new QLabel(m_separators ? QStringLiteral("Field:") : QStringLiteral("No MSH segment: no field positions"));
    m_position->setObjectName(QStringLiteral("position"));
    auto *copy = new QPushButton(QStringLiteral("&Copy"));
    auto *save = new QPushButton(QStringLiteral("&Save As..."));
    auto *close = new QPushButton(QStringLiteral("Close"));
    save->setEnabled(m_arrival.problem.isEmpty());  // only whole arrivals are written out
    connect(copy, &QPushButton::clicked, this, &ArrivalViewer::copyShownText);
    connect(save, &QPushButton::clicked, this, &ArrivalViewer::chooseFileToSave);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_position, 1);
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto *page = new QVBoxLayout(this);
    page->addWidget(summary);
    page->addWidget(m_status);
    page->addWidget(m_views, 1);
    page->addLayout(buttons);
}

QWidget *ArrivalViewer::fieldTable()
{
    auto *table = new QTableView;
    table->setObjectName(QStringLiteral("table"));
    table->setModel(new FieldTable(m_arrival.bytes, *m_separators));
    table->model()->setParent(table);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->resizeColumnsToContents();
    return table;
}

QString ArrivalViewer::positionAt(qsizetype byte) const
{
    if (!m_separators || byte < 0 || byte >= m_arrival.bytes.size())
        return {};
    return namedPosition(hl7Position(m_arrival.bytes, byte, *m_separators));
}

void ArrivalViewer::showPosition(qsizetype byte)
{
    if (m_separators)
        m_position->setText(QStringLiteral("Field: ") + positionAt(byte));
}

void ArrivalViewer::copyShownText() const
{
    m_port.SetClipboardText(arrivalLines(m_arrival.bytes).text);
}

bool ArrivalViewer::saveTo(const QString &path)
{
    QString problem = m_guard ? m_guard(path) : QString();
    if (problem.isEmpty()) {
        try {
            writeWholeFile(path, m_arrival.bytes);
        } catch (const Failure &failure) {
            problem = QStringLiteral("%1 (error %2)").arg(failure.description).arg(failure.number);
        }
    }
    m_status->setText(problem.isEmpty() ? QStringLiteral("Saved to %1").arg(path)
                                        : QStringLiteral("Not saved to %1: %2").arg(path, problem));
    m_status->show();
    return problem.isEmpty();
}

void ArrivalViewer::chooseFileToSave()
{
    m_port.ChooseFileToSave(this, QStringLiteral("Save ") + windowTitle(), [this](const QString &path) { saveTo(path); });
}

void ArrivalViewer::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
