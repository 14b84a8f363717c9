#pragma once

#include <QObject>

class QWidget;

// Keeps a frame's tool tip to the frame's own empty area. Qt would otherwise show it over every
// child that has no tool tip of its own, where what it says (a click turns the cursor off,
// say) is not true. The text stays on the frame for assistive technology.
class OwnAreaToolTip final : public QObject
{
    Q_OBJECT

public:
    // Watches the frame; owned by it.
    static void install(QWidget *frame);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
