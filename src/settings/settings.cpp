#include "settings/settings.h"

namespace tq::settings {

void load(SettingsWindow&, const std::string&) {}
void save(SettingsWindow&, const std::string&) {}
void importAddresses(SettingsWindow&) {}

}  // namespace tq::settings
