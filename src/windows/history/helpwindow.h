#pragma once

#include <QDialog>

// A short help: the keyboard shortcuts and the command-line options.
class HelpWindow : public QDialog
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // The help as rich text.
    [[nodiscard]] static QString text();
};
