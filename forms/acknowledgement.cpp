#include "forms/frm_interface.h"

#include <QLineEdit>

#include "widgets/paced_texts.h"
#include "feed/received_data_model.h"
#include "forms/frm_setup.h"

// The frame codes are read from the setup fields as they stand, so codes
// being edited in the open setup dialog already shape the next answer. The
// parts around the stamp are built again only when what they come from has
// changed.
const AckParts &frmInterface::answerParts()
{
    const frmSetup &setup = Setup();
    AckSources sources;
    sources.startCodes = setup.startCodes();
    sources.endCodes = setup.endCodes();
    sources.beforeDate = settings.strAckBeforeDate;
    sources.afterDate = settings.strAckAfterDate;
    sources.msaSegment = settings.strMSASegment;
    if (!m_answerParts || m_answerParts->first != sources) {
        m_answerParts.emplace(sources, ackParts(sources));
        // The list tells arrivals that continue another by the same characters.
        receivedData->setFraming(m_answerParts->second.startCharacters, m_answerParts->second.endCharacters);
    }
    return m_answerParts->second;
}

// Answering one message, its control id goes into MSA-2.
void frmInterface::PrepareAck(std::optional<QByteArrayView> controlId)
{
    BuildDateTime();
    const AckParts &parts = answerParts();
    strSend2 = parts.head + strDateTime.toLatin1() + (controlId ? tailWithControlId(parts, *controlId) : parts.tail);
    m_pacedTexts->show(txtDateTime, strDateTime);
}
