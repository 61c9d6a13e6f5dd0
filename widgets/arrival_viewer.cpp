#include "widgets/arrival_viewer.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/failure.h"
#include "platform/file_channel.h"

ArrivalViewer::ArrivalViewer(ArrivalRecord arrival, OperatorPort &port, SaveGuard guard, QWidget *parent)
    : QWidget(parent, Qt::Window), m_arrival(std::move(arrival)), m_port(port), m_guard(std::move(guard)),
      m_lines(arrivalLines(m_arrival.bytes)),
      m_separators(declaredSeparators(m_arrival.bytes))
{
    setObjectName(QStringLiteral("ArrivalViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString name = m_arrival.number > 0 ? QStringLiteral("Arrival %1").arg(m_arrival.number)
                                              : QStringLiteral("Arrival not stored");
    setWindowTitle(name);
    resize(760, 480);

    auto *summary = new QLabel(QStringLiteral("%1, received %2, %3 bytes")
                                   .arg(name, m_arrival.received.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
                                   .arg(QLocale::c().toString(m_arrival.length)));
    summary->setObjectName(QStringLiteral("summary"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status = new QLabel(m_arrival.problem);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setVisible(!m_arrival.problem.isEmpty());

    m_text = new QPlainTextEdit;
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlainText(m_lines.text);
    m_text->viewport()->setMouseTracking(true);
    m_text->viewport()->installEventFilter(this);
    connect(m_text, &QPlainTextEdit::cursorPositionChanged, this,
            [this] { showPosition(m_text->textCursor().position()); });

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
    page->addWidget(m_text, 1);
    page->addLayout(buttons);
}

QString ArrivalViewer::positionAt(int textPosition) const
{
    if (!m_separators || textPosition < 0 || textPosition >= m_lines.byteOf.size())
        return {};
    return hl7Position(m_arrival.bytes, m_lines.byteOf[textPosition], *m_separators);
}

void ArrivalViewer::showPosition(int textPosition)
{
    if (m_separators)
        m_position->setText(QStringLiteral("Field: ") + positionAt(textPosition));
}

void ArrivalViewer::copyShownText() const
{
    m_port.SetClipboardText(m_lines.text);
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

bool ArrivalViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text->viewport() && event->type() == QEvent::MouseMove)
        showPosition(m_text->cursorForPosition(static_cast<QMouseEvent *>(event)->position().toPoint()).position());
    return QWidget::eventFilter(watched, event);
}
