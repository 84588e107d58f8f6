#include "ui/dialogs.h"

namespace tq::ui {

void Dialogs::notice(const std::string&) {}
bool Dialogs::question(const std::string&) { return false; }
std::optional<QString> Dialogs::openFile(const QString&) { return std::nullopt; }

}  // namespace tq::ui
