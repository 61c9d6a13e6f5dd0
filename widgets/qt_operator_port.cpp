#include "widgets/qt_operator_port.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "formats/window_title.h"

#include <cstdio>
#include <cstdlib>

OperatorPort::Answer QtOperatorPort::MsgBox(const QString &text, const QString &title, Buttons buttons,
                                            Default defaultButton, Icon icon)
{
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::NoIcon, literalTitle(title),
                    QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (buttons == Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultButton == Default::First ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtOperatorPort::ChooseFile()
{
    return QFileDialog::getSaveFileName(nullptr, QString(), QString(), QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

// A dialog of that window only, answered whenever the operator likes: the
// main window and reception go on meanwhile.
void QtOperatorPort::ChooseFileToSave(QObject *over, const QString &title, std::function<void(const QString &)> chosen)
{
    auto *dialog = new QFileDialog(qobject_cast<QWidget *>(over), title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QFileDialog::fileSelected, over, std::move(chosen));
    dialog->open();
}

void QtOperatorPort::SetClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void QtOperatorPort::EndNow()
{
    // Files are written straight to the operating system, so nothing is lost here.
    std::fflush(nullptr);
    std::_Exit(0);
}

// Zones change their offset only on a whole minute, so the offset found
// once holds until the minute is over.
QDateTime QtOperatorPort::Now() const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now < m_offsetFrom || now >= m_offsetUntil) {
        m_offset = QDateTime::fromMSecsSinceEpoch(now).offsetFromUtc();
        m_offsetFrom = now;
        m_offsetUntil = now - now % 60000 + 60000;
    }
    return QDateTime::fromMSecsSinceEpoch(now, Qt::OffsetFromUTC, m_offset);
}

QString QtOperatorPort::ProgramDirectory() const
{
    return QCoreApplication::applicationDirPath();
}
