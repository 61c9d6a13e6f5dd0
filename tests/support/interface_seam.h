#pragma once

#include "forms/frm_interface.h"

// The one way into frmInterface's private state, for tests: what no control
// shows and no sender can bring about in reasonable time. The program itself
// never uses it.
class InterfaceSeam {
public:
    explicit InterfaceSeam(frmInterface &window) : m_window(window) {}

    // The socket set, to see what listens and what is connected.
    const SocketSet &sockets() const { return m_window.Winsock; }
    // The setup dialog, created hidden when it does not exist.
    frmSetup &setup() { return m_window.Setup(); }
    Picture shownPicture() const { return m_window.m_shownPicture; }
    void startFlash() { m_window.startFlash(); }
    // The two arrival counters, for instance near their limit.
    void setCounters(qint32 itemCount, qint32 tempCounter)
    {
        m_window.lngItemCount = itemCount;
        m_window.lngTempCounter = tempCounter;
    }

private:
    frmInterface &m_window;
};
