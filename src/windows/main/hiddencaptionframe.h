#pragma once

#include <QGroupBox>

// A frame whose own caption is covered by a label of its own, so it draws only its border; the
// caption stays its title for anything that reads it.
class HiddenCaptionFrame final : public QGroupBox
{
    Q_OBJECT

public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *event) override;
};
