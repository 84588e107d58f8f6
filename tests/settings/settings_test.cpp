#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "folder.h"
#include "settings/files.h"

namespace tq::settings {
namespace {

using test::bytesOf;
using test::putBytes;
using test::ScratchFolder;

using namespace std::string_literals;

// 保存配置成功!
const std::string kSaved = "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xB3\xC9\xB9\xA6!";
// 保存配置失败! 未能保存文件:
const std::string kNotSaved =
    "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xCA\xA7\xB0\xDC! "
    "\xCE\xB4\xC4\xDC\xB1\xA3\xB4\xE6\xCE\xC4\xBC\xFE: ";
// 导入地址失败! 无法读取所选的文件, 地址列表没有改变。
const std::string kNotImported =
    "\xB5\xBC\xC8\xEB\xB5\xD8\xD6\xB7\xCA\xA7\xB0\xDC! "
    "\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1\xCB\xF9\xD1\xA1\xB5\xC4\xCE\xC4\xBC\xFE, "
    "\xB5\xD8\xD6\xB7\xC1\xD0\xB1\xED\xC3\xBB\xD3\xD0\xB8\xC4\xB1\xE4\xA1\xA3";

class FakeWindow : public SettingsWindow {
public:
    std::string addresses = "left over";
    std::string feature = "left over";
    std::vector<std::string> notices;
    std::optional<std::string> choice;
    int dialogs = 0;
    std::vector<std::string> trail;        // what the settings commands did, in order
    std::function<void()> whileEventsRun;  // stands in for a command run by the events

    std::string addressList() override {
        trail.push_back("get addresses");
        return addresses;
    }
    void setAddressList(const std::string& text) override {
        trail.push_back("set addresses");
        addresses = text;
    }
    std::string featureString() override {
        trail.push_back("get feature");
        return feature;
    }
    void setFeatureString(const std::string& text) override {
        trail.push_back("set feature");
        feature = text;
    }
    void processPendingEvents() override {
        trail.push_back("events");
        if (whileEventsRun) {
            whileEventsRun();
        }
    }
    void notice(const std::string& text) override {
        trail.push_back("notice");
        notices.push_back(text);
    }
    std::optional<std::string> chooseImportFile() override {
        ++dialogs;
        return choice;
    }
};

TEST(Settings, SavedBoxesComeBackByteForByte) {
    struct Case {
        const char* what;
        std::string addresses;
        std::string feature;
    };
    const Case cases[] = {
        {"list ending in CR LF", "http://a.cn/\r\nhttp://b.cn/x?y=1\r\n",
         "<a href=\"http://me/\">"},
        {"LF-only lines and a lone CR", "http://a/\nhttp://b/\rc\n", "x\ny"},
        {"GBK text", "\xB5\xD8\xD6\xB7\r\n\xCD\xE2\xC1\xB4", "\xCC\xD8\xD5\xF7"},
        {"invalid GBK", "\x80\xFF\x81\x20\xFE\x7F\r\n\xB0", "\x81"},
        {"empty boxes", "", ""},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        FakeWindow before;
        before.addresses = c.addresses;
        before.feature = c.feature;
        save(before, folder.path());
        EXPECT_EQ(before.notices, std::vector<std::string>{kSaved}) << c.what;
        EXPECT_EQ(bytesOf(folder / "dizhi.ini"), c.addresses) << c.what;
        EXPECT_EQ(bytesOf(folder / "tezheng.ini"), c.feature) << c.what;

        FakeWindow after;
        load(after, folder.path());
        EXPECT_EQ(after.addresses, c.addresses) << c.what;
        EXPECT_EQ(after.feature, c.feature) << c.what;
        EXPECT_TRUE(after.notices.empty()) << c.what;
    }
}

TEST(Settings, LoadTakesTheBytesBeforeTheFirstZeroAndConvertsNothing) {
    struct Case {
        const char* what;
        std::string file;
        std::string box;
    };
    const Case cases[] = {
        {"zero byte inside", "http://a/\r\n\0http://b/\r\n"s, "http://a/\r\n"},
        {"UTF-16 with byte-order mark", "\xFF\xFEh\0t\0t\0p\0"s, "\xFF\xFEh"},
        {"UTF-8 byte-order mark kept", "\xEF\xBB\xBFhttp://a/", "\xEF\xBB\xBFhttp://a/"},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        putBytes(folder / "dizhi.ini", c.file);
        putBytes(folder / "tezheng.ini", c.file);
        FakeWindow window;
        load(window, folder.path());
        EXPECT_EQ(window.addresses, c.box) << c.what;
        EXPECT_EQ(window.feature, c.box) << c.what;
    }
}

TEST(Settings, WithoutFilesTheBoxesStartEmptyAndTheFirstSaveCreatesBoth) {
    ScratchFolder folder;
    FakeWindow window;
    load(window, folder.path());
    EXPECT_EQ(window.addresses, "");
    EXPECT_EQ(window.feature, "");
    EXPECT_TRUE(window.notices.empty());
    EXPECT_TRUE(folder.names().empty()) << "loading must not create the files";

    window.addresses = "http://a/\r\n";
    window.feature = "me";
    save(window, folder.path());
    EXPECT_EQ(bytesOf(folder / "dizhi.ini"), "http://a/\r\n");
    EXPECT_EQ(bytesOf(folder / "tezheng.ini"), "me");
    EXPECT_EQ(window.notices, std::vector<std::string>{kSaved});
}

// What the temporary file of each save allowed while it held the new bytes.
std::vector<mode_t> temporaryModes;
bool noteTemporaryMode(const std::string& temporaryPath, const std::string&) {
    temporaryModes.push_back(test::modeOf(temporaryPath));
    return true;
}

// Under the usual umask the files come out as the user's other files do, never writable by
// others, and a save never widens what the user chose for a file, not even for a moment.
TEST(Settings, SavedFilesKeepTheUsersPermissionsAndAreNeverWorldWritable) {
    struct Case {
        const char* what;
        std::optional<mode_t> existing;  // nothing: the save creates the files
        mode_t expected;
    };
    const Case cases[] = {
        {"new files", std::nullopt, 0644},
        {"private files", 0600, 0600},
        {"group-readable files", 0640, 0640},
    };
    const mode_t previous = ::umask(022);
    testing::beforeReplace = noteTemporaryMode;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        for (const char* name : {kAddressFile, kFeatureFile}) {
            if (c.existing) {
                putBytes(folder / name, "old");
                ::chmod((folder / name).c_str(), *c.existing);
            }
        }
        temporaryModes.clear();
        FakeWindow window;
        window.addresses = "http://a/\r\n";
        window.feature = "me";
        save(window, folder.path());
        EXPECT_EQ(window.notices, std::vector<std::string>{kSaved});
        for (const char* name : {kAddressFile, kFeatureFile}) {
            EXPECT_EQ(test::modeOf(folder / name), c.expected) << name;
        }
        EXPECT_EQ(temporaryModes, (std::vector<mode_t>{c.expected, c.expected}));
    }
    testing::beforeReplace = nullptr;
    ::umask(previous);
}

TEST(Settings, AFileThatCannotBeSavedIsKeptTheOtherIsWrittenAndTheNoticeNamesIt) {
    ScratchFolder folder;
    putBytes(folder / "dizhi.ini", "old list\r\n");
    putBytes(folder / "tezheng.ini", "old feature");
    ::chmod((folder / "dizhi.ini").c_str(), 0444);

    FakeWindow window;
    window.addresses = "new list";
    window.feature = "new feature";
    save(window, folder.path());

    EXPECT_EQ(bytesOf(folder / "dizhi.ini"), "old list\r\n");
    EXPECT_EQ(bytesOf(folder / "tezheng.ini"), "new feature");
    EXPECT_EQ(window.notices, std::vector<std::string>{kNotSaved + "dizhi.ini"});

    // With both files read-only the notice names both (separated by "、").
    ::chmod((folder / "tezheng.ini").c_str(), 0444);
    window.notices.clear();
    window.feature = "newer feature";
    save(window, folder.path());
    EXPECT_EQ(bytesOf(folder / "tezheng.ini"), "new feature");
    EXPECT_EQ(window.notices, std::vector<std::string>{kNotSaved + "dizhi.ini\xA1\xA2tezheng.ini"});
    EXPECT_EQ(folder.names(), (std::set<std::string>{"dizhi.ini", "tezheng.ini"}));
}

TEST(Settings, PendingEventsRunBetweenTheFileSteps) {
    ScratchFolder folder;
    putBytes(folder / "dizhi.ini", "list");
    putBytes(folder / "tezheng.ini", "feature");

    FakeWindow loaded;
    std::vector<std::string> boxesWhileEventsRan;
    loaded.whileEventsRun = [&] { boxesWhileEventsRan = {loaded.addresses, loaded.feature}; };
    load(loaded, folder.path());
    EXPECT_EQ(loaded.trail, (std::vector<std::string>{"set addresses", "events", "set feature"}));
    // The address box is filled (and can repaint) before the feature file is read.
    EXPECT_EQ(boxesWhileEventsRan, (std::vector<std::string>{"list", "left over"}));

    FakeWindow saved;
    saved.addresses = "new list";
    saved.feature = "typed before the save";
    std::vector<std::string> filesWhileEventsRan;
    saved.whileEventsRun = [&] {
        if (filesWhileEventsRan.empty()) {
            filesWhileEventsRan = {bytesOf(folder / "dizhi.ini"), bytesOf(folder / "tezheng.ini")};
            // A command run by these events changes the feature box: the save reads it afresh.
            saved.feature = "typed during the save";
        }
    };
    save(saved, folder.path());
    EXPECT_EQ(saved.trail, (std::vector<std::string>{"get addresses", "events", "get feature",
                                                     "events", "notice"}));
    EXPECT_EQ(filesWhileEventsRan, (std::vector<std::string>{"new list", "feature"}));
    EXPECT_EQ(bytesOf(folder / "tezheng.ini"), "typed during the save");
}

TEST(Settings, ImportReplacesTheListWithTheFileAndNeverWritesTheSettings) {
    struct Case {
        const char* what;
        std::string file;
        std::string list;
    };
    const Case cases[] = {
        {"addresses", "http://x/\r\nhttp://y/\r\n", "http://x/\r\nhttp://y/\r\n"},
        {"zero byte inside", "http://x/\0junk"s, "http://x/"},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        putBytes(folder / "dizhi.ini", "saved list");
        putBytes(folder / "list.txt", c.file);
        FakeWindow window;
        window.choice = folder / "list.txt";
        importAddresses(window);
        EXPECT_EQ(window.dialogs, 1) << c.what;
        EXPECT_EQ(window.addresses, c.list) << c.what;
        EXPECT_TRUE(window.notices.empty()) << c.what;
        EXPECT_EQ(bytesOf(folder / "dizhi.ini"), "saved list") << c.what;
    }
}

TEST(Settings, ImportThatIsCancelledOrCannotReadKeepsTheList) {
    ScratchFolder folder;
    struct Case {
        const char* what;
        std::optional<std::string> choice;
        std::vector<std::string> notices;
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, {}},
        {"a folder", folder.path(), {kNotImported}},
        {"a missing file", folder / "gone.txt", {kNotImported}},
    };
    for (const Case& c : cases) {
        FakeWindow window;
        window.addresses = "http://keep/\r\n";
        window.choice = c.choice;
        importAddresses(window);
        EXPECT_EQ(window.addresses, "http://keep/\r\n") << c.what;
        EXPECT_EQ(window.notices, c.notices) << c.what;
    }
    EXPECT_TRUE(folder.names().empty());
}

}  // namespace
}  // namespace tq::settings
