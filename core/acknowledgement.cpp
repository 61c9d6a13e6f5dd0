#include "app/frm_interface.h"

#include <QLineEdit>

#include "core/frame_code.h"
#include "ui/frm_setup.h"
#include "ui/frame_texts.h"

namespace {

// The frame characters of five code fields, in field order; "0" is no character.
void appendFrameCharacters(QByteArray &ack, const std::array<QLineEdit *, ProgramInformation::kFrameCodes> &codes)
{
    for (const QLineEdit *code : codes) {
        const QString text = code->text();
        if (text != u'0')
            ack += frameCharacter(text);
    }
}

}  // namespace

// The frame codes are read from the setup fields as they stand, so codes
// being edited in the open setup dialog already shape the next answer.
void frmInterface::PrepareAck()
{
    BuildDateTime();
    const frmSetup &setup = Setup();
    QByteArray ack;
    appendFrameCharacters(ack, setup.txtSTF);
    ack += "MSH";
    ack += settings.strAckBeforeDate.toLatin1();
    ack += strDateTime.toLatin1();
    ack += settings.strAckAfterDate.toLatin1();
    ack += '\r';
    ack += "MSA";
    ack += settings.strMSASegment.toLatin1();
    appendFrameCharacters(ack, setup.txtETF);
    strSend2 = std::move(ack);
    m_frameTexts->show(txtDateTime, strDateTime);
}
