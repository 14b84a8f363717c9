#include "windows/main/portselectionpanel.h"

#include "core/twips.h"
#include "engine/port/portentry.h"

#include <QLineEdit>
#include <QListWidget>

#include <optional>
#include <utility>

namespace {
constexpr int kHiddenTop = -3000;
constexpr int kGapBelowPortBox = 30;
} // namespace

PortSelectionPanel::PortSelectionPanel(QListWidget *list, QLineEdit *portBox, QWidget *frame,
                                       PortDiscovery discovery, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_portBox(portBox)
    , m_frame(frame)
    , m_discovery(std::move(discovery))
{
    // Selection, not the current row: a list that takes the focus gets a current row without
    // any entry being chosen.
    connect(m_list, &QListWidget::itemSelectionChanged, this, &PortSelectionPanel::pickSelected);
}

bool PortSelectionPanel::isShown() const
{
    return m_list->y() >= 0;
}

void PortSelectionPanel::toggle()
{
    if (isShown()) {
        hide();
    } else {
        show();
    }
}

void PortSelectionPanel::hide()
{
    moveListTo(kHiddenTop);
    m_list->setEnabled(false);
}

void PortSelectionPanel::show()
{
    listComPorts();
    moveListTo(shownTop());
    m_list->setEnabled(true);
    m_list->raise();
}

void PortSelectionPanel::listComPorts()
{
    m_list->clear();
    m_list->addItems(m_discovery.openablePorts());
}

void PortSelectionPanel::pickSelected()
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const std::optional<QString> name = portentry::portName(selected.constFirst()->text());
    if (!name) {
        return;
    }
    m_portBox->setText(*name);
    hide();
}

int PortSelectionPanel::shownTop() const
{
    return twips::fromPixels(m_portBox->y()) + twips::fromPixels(m_frame->y()) +
           twips::fromPixels(m_portBox->height()) + kGapBelowPortBox;
}

void PortSelectionPanel::moveListTo(int topTwips)
{
    m_list->move(m_list->x(), twips::toPixels(topTwips));
}
