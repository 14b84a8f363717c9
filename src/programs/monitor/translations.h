#pragma once

class QCoreApplication;

namespace translations {

// Installs the translation of the program's new texts (and Qt's own, where the system has
// them) for the user's locale; the window's design texts are not translated.
void install(QCoreApplication &app);

} // namespace translations
