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

// `folder` is the program folder, without a trailing separator ("" for the root folder).

// Fills both boxes from their files; a file that is missing or cannot be read gives an empty
// box. Silent.
void load(SettingsWindow& window, const std::string& folder);

// Writes both boxes to their files. A file that cannot be written keeps its old content, the
// other is written all the same, and the notice names what was not saved.
void save(SettingsWindow& window, const std::string& folder);

// Replaces the address list with the chosen file's text; writes no settings file. A file that
// cannot be read leaves the list as it is and says so.
void importAddresses(SettingsWindow& window);

}  // namespace tq::settings
