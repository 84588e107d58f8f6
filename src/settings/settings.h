#pragma once
// The address list and the feature string kept in two files in the program folder.
#include <optional>
#include <string>

namespace tq::settings {

inline constexpr char kAddressFile[] = "dizhi.ini";
inline constexpr char kFeatureFile[] = "tezheng.ini";

// What the settings commands need of the window; all calls come on the window thread.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;
    virtual std::string addressList() = 0;
    virtual void setAddressList(const std::string& text) = 0;
    virtual std::string featureString() = 0;
    virtual void setFeatureString(const std::string& text) = 0;
    virtual void processPendingEvents() = 0;
    virtual void notice(const std::string& text) = 0;
    // The open dialog: the chosen file's full path, or nothing when the user cancelled.
    virtual std::optional<std::string> chooseImportFile() = 0;
};

// `folder` is the program folder, without a trailing separator.
void load(SettingsWindow& window, const std::string& folder);
void save(SettingsWindow& window, const std::string& folder);
void importAddresses(SettingsWindow& window);

}  // namespace tq::settings
