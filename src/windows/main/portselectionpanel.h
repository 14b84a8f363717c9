#pragma once

#include "engine/port/portdiscovery.h"

#include <QObject>

class QLineEdit;
class QListWidget;
class QWidget;

// The drop-down list of ports under the port box. Hidden, the list lies at Top -3000 and is
// disabled; shown, it lies 30 twips below the port box, enabled and above every other control.
// Opening it rebuilds it from a fresh discovery; selecting an entry that holds a port name,
// by mouse or keyboard, copies that name into the port box and closes the list.
class PortSelectionPanel final : public QObject
{
    Q_OBJECT

public:
    // portBox lies inside frame; list is a child of the window, beside frame.
    PortSelectionPanel(QListWidget *list, QLineEdit *portBox, QWidget *frame,
                       PortDiscovery discovery, QObject *parent = nullptr);

    [[nodiscard]] bool isShown() const;
    // The port selection button: opens the list when hidden, closes it when shown.
    void toggle();
    void hide();

private:
    void show();
    void listComPorts();
    void pickSelected();
    [[nodiscard]] int shownTop() const;
    void moveListTo(int topTwips);

    QListWidget *m_list = nullptr;
    QLineEdit *m_portBox = nullptr;
    QWidget *m_frame = nullptr;
    PortDiscovery m_discovery;
};
