#include "settings/settings.h"

#include "settings/files.h"
#include "text/bytes.h"

namespace tq::settings {

namespace {

// 保存配置成功!
constexpr char kSaved[] = "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xB3\xC9\xB9\xA6!";
// 保存配置失败! 未能保存文件: (followed by the file names)
constexpr char kNotSaved[] =
    "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xCA\xA7\xB0\xDC! "
    "\xCE\xB4\xC4\xDC\xB1\xA3\xB4\xE6\xCE\xC4\xBC\xFE: ";
// 、 (the enumeration comma between two file names)
constexpr char kNameSeparator[] = "\xA1\xA2";
// 导入地址失败! 无法读取所选的文件, 地址列表没有改变。
constexpr char kNotImported[] =
    "\xB5\xBC\xC8\xEB\xB5\xD8\xD6\xB7\xCA\xA7\xB0\xDC! "
    "\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1\xCB\xF9\xD1\xA1\xB5\xC4\xCE\xC4\xBC\xFE, "
    "\xB5\xD8\xD6\xB7\xC1\xD0\xB1\xED\xC3\xBB\xD3\xD0\xB8\xC4\xB1\xE4\xA1\xA3";

std::string pathIn(const std::string& folder, const char* name) {
    return folder + "/" + name;
}

// A file that is missing or cannot be read loads as an empty text.
std::string loadText(const std::string& path) {
    return text::untilZero(readFile(path).value_or(std::string()));
}

// A box's text ends at its first zero byte, like any text; the file holds what comes before.
bool saveText(const std::string& path, const std::string& boxText) {
    return writeFile(path, text::untilZero(std::string_view(boxText)));
}

}  // namespace

void load(SettingsWindow& window, const std::string& folder) {
    window.setAddressList(loadText(pathIn(folder, kAddressFile)));
    window.processPendingEvents();
    window.setFeatureString(loadText(pathIn(folder, kFeatureFile)));
}

void save(SettingsWindow& window, const std::string& folder) {
    const bool addressesSaved = saveText(pathIn(folder, kAddressFile), window.addressList());
    window.processPendingEvents();
    const bool featureSaved = saveText(pathIn(folder, kFeatureFile), window.featureString());
    window.processPendingEvents();

    if (addressesSaved && featureSaved) {
        window.notice(kSaved);
        return;
    }
    std::string notice = kNotSaved;
    if (!addressesSaved) {
        notice += kAddressFile;
    }
    if (!addressesSaved && !featureSaved) {
        notice += kNameSeparator;
    }
    if (!featureSaved) {
        notice += kFeatureFile;
    }
    window.notice(notice);
}

void importAddresses(SettingsWindow& window) {
    const auto path = window.chooseImportFile();
    if (!path) {
        return;
    }
    // A file that could not be read must not wipe the list; an empty one does, as it should.
    const auto bytes = readFile(*path);
    if (!bytes) {
        window.notice(kNotImported);
        return;
    }
    window.setAddressList(text::untilZero(*bytes));
}

}  // namespace tq::settings
