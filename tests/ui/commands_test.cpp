// The window's commands and the fields a check reaches, driven through real widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "app/folder.h"
#include "app/timer.h"
#include "check/texts.h"
#include "commands_window.h"
#include "settings/settings.h"
#include "text/cp936.h"
#include "ui/boxtext.h"
#include "ui/controller.h"
#include "ui/dialogs.h"

namespace tq::ui {
namespace {

using testing::TestWindow;

// "确定要清空所有地址吗?"
const std::string kClearAddressesQuestion =
    "\xC8\xB7\xB6\xA8\xD2\xAA\xC7\xE5\xBF\xD5\xCB\xF9\xD3\xD0\xB5\xD8\xD6\xB7\xC2\xF0?";
// "已复制到剪贴板"
const std::string kCopiedNotice = "\xD2\xD1\xB8\xB4\xD6\xC6\xB5\xBD\xBC\xF4\xCC\xF9\xB0\xE5";
// "保存配置成功!"
const std::string kSavedNotice = "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xB3\xC9\xB9\xA6!";
// "未检测..."
const std::string kNotChecked = "\xCE\xB4\xBC\xEC\xB2\xE2...";
// "中文地址" and "页面", for lists that are more than ASCII
const std::string kChinese = "\xD6\xD0\xCE\xC4\xB5\xD8\xD6\xB7";
const std::string kPage = "\xD2\xB3\xC3\xE6";

constexpr int kWaitMs = 20000;

// Pages served to the checks by address; a page can be held back until the test lets it go.
class FakePages {
public:
    void set(const std::string& address, const std::string& page) {
        std::lock_guard lock(mutex_);
        pages_[address] = page;
    }
    void hold() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_all();
    }
    int fetches() const { return fetches_.load(); }

    check::FetchPage fetcher() {
        return [this](const std::string& address) {
            fetches_++;
            std::unique_lock lock(mutex_);
            released_.wait(lock, [&] { return !held_; });
            auto it = pages_.find(address);
            return it == pages_.end() ? std::string() : it->second;
        };
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
    std::map<std::string, std::string> pages_;
    std::atomic<int> fetches_{0};
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dialogs::resetSeam();
        window_ = std::make_unique<TestWindow>();
        controller_ = Controller::bind(*window_, pages_.fetcher());
        ASSERT_TRUE(controller_);
    }
    void TearDown() override {
        pages_.release();
        Dialogs::resetSeam();
        // A worker may still be on its way out of its last check; the window, the controller
        // and the pages stay alive so that it never meets freed memory.
        static std::vector<std::unique_ptr<TestWindow>> windows;
        static std::vector<std::unique_ptr<Controller>> controllers;
        controllers.push_back(std::move(controller_));
        windows.push_back(std::move(window_));
    }

    template <typename T>
    T* control(const char* name) {
        T* w = window_->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPlainTextEdit* addressBox() { return control<QPlainTextEdit>("编辑框1"); }
    QPlainTextEdit* resultsBox() { return control<QPlainTextEdit>("编辑框_检测结果"); }
    std::string label(const char* name) { return labelText(control<QLabel>(name)); }
    void click(const char* name) { control<QPushButton>(name)->click(); }

    void setAddresses(const std::string& bytes) { setBoxText(addressBox(), bytes); }
    std::string addresses() { return boxText(addressBox()); }
    std::string results() { return boxText(resultsBox()); }

    bool waitForPassEnd() {
        return QTest::qWaitFor([&] { return label("透明标签8") == check::kProgressDone; }, kWaitMs);
    }

    FakePages pages_;  // outlives the workers: see TearDown
    std::unique_ptr<TestWindow> window_;
    std::unique_ptr<Controller> controller_;
};

TEST_F(CommandsTest, CountSplitsAtCrLfPairsThatStartACharacter) {
    struct Case {
        const char* what;
        std::string list;
        std::string count;
    };
    const Case cases[] = {
        {"empty box", "", "0"},
        {"one CR LF pair alone is one empty member", "\r\n", "1"},
        {"trailing CR LF is counted once", "http://a/\r\nhttp://b/\r\n", "2"},
        {"blank line in the middle is a member", "http://a/\r\n\r\nhttp://b/", "3"},
        {"lone CR and lone LF do not cut", "a\rb\nc\r\nd", "2"},
        {"Chinese lines", kChinese + "\r\n" + kPage + "\r\n", "2"},
        // 0x81 takes the CR with it as its second byte, so the LF that follows stands alone.
        {"trail byte 0x0D is not a cut", "x\x81\r\ny", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setAddresses(c.list);
        click("按钮_统计地址个数");
        EXPECT_EQ(label("透明标签2"), c.count + " \xB8\xF6");
        EXPECT_EQ(addresses(), c.list) << "the count leaves the list alone";
    }
}

TEST_F(CommandsTest, ClearCommandsEmptyTheirBoxOnlyOnOk) {
    // "确定要清空所有检测结果吗?"
    const std::string clearResultsQuestion =
        "\xC8\xB7\xB6\xA8\xD2\xAA\xC7\xE5\xBF\xD5\xCB\xF9\xD3\xD0\xBC\xEC\xB2\xE2"
        "\xBD\xE1\xB9\xFB\xC2\xF0?";
    struct Case {
        const char* button;
        const char* box;
        const char* other;
        const std::string& question;
        bool answer;
    };
    const Case cases[] = {
        {"按钮_统计地址个数2", "编辑框1", "编辑框_检测结果", kClearAddressesQuestion, true},
        {"按钮_统计地址个数2", "编辑框1", "编辑框_检测结果", kClearAddressesQuestion, false},
        {"按钮3", "编辑框_检测结果", "编辑框1", clearResultsQuestion, true},
        {"按钮3", "编辑框_检测结果", "编辑框1", clearResultsQuestion, false},
    };
    const std::string text = "http://a/\r\n" + kChinese + "\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.answer ? " OK" : " Cancel"));
        auto* box = control<QPlainTextEdit>(c.box);
        auto* other = control<QPlainTextEdit>(c.other);
        setBoxText(box, text);
        setBoxText(other, "kept\r\n");
        Dialogs::setNextAnswer(c.answer);
        click(c.button);
        EXPECT_EQ(Dialogs::takeAnsweredTexts(), std::vector<std::string>{c.question});
        EXPECT_EQ(boxText(box), c.answer ? "" : text);
        EXPECT_EQ(boxText(other), "kept\r\n");
    }
    EXPECT_EQ(controller_->pass().cursor(), 0);
}

TEST_F(CommandsTest, CopyPutsTheWholeListOnTheClipboardThenShowsTheNotice) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const std::string lists[] = {
        "http://" + kChinese + ".example/" + kPage + "\r\n\r\nhttp://b.example/ x\r\n",
        "",
    };
    for (const std::string& list : lists) {
        SCOPED_TRACE(list);
        clipboard->setText(QStringLiteral("left over"));
        setAddresses(list);
        Dialogs::setNextAnswer(true);
        click("按钮_统计地址个数3");
        EXPECT_EQ(text::encode(clipboard->text()), list);
        EXPECT_EQ(Dialogs::takeAnsweredTexts(), std::vector<std::string>{kCopiedNotice});
    }
}

TEST_F(CommandsTest, StopBeforeAnyStartAndTwiceChangesNothing) {
    auto* timer = window_->findChild<app::CheckTimer*>(QString::fromUtf8("时钟1"));
    ASSERT_NE(timer, nullptr);
    setAddresses("http://a/\r\n");
    for (int i = 0; i < 2; ++i) {
        click("按钮2");
        EXPECT_EQ(timer->period(), 0);
        EXPECT_EQ(label("透明标签7"), kNotChecked);
        EXPECT_EQ(label("透明标签8"), "\r\n");
        EXPECT_EQ(results(), "");
        EXPECT_EQ(addresses(), "http://a/\r\n");
        EXPECT_EQ(controller_->pass().cursor(), 0);
    }
    QTest::qWait(50);  // a tick, had one been set up, would have run a check by now
    EXPECT_EQ(pages_.fetches(), 0);
}

// A pass over the real window fields: result lines in list order, then the completion texts.
TEST_F(CommandsTest, PassWritesResultLinesAndCompletionTextsThroughTheWindow) {
    struct Case {
        Qt::CheckState onlyDropped;
        bool presentLinesWritten;
    };
    const Case cases[] = {
        {Qt::Unchecked, true}, {Qt::PartiallyChecked, true}, {Qt::Checked, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.onlyDropped));
        TearDown();
        SetUp();
        const std::string feature = "<a href=\"http://mine/\">" + kChinese + "</a>";
        const std::string present = "http://present/" + kPage;
        pages_.set(present, "<p>" + feature + "</p>");
        pages_.set("http://gone/", "<p>nothing here</p>");
        setAddresses(present + "\r\nhttp://gone/\r\n\r\nhttp://unknown/");
        setBoxText(control<QLineEdit>("编辑框2"), feature);
        auto* box = control<QCheckBox>("选择框1");
        box->setTristate(true);
        box->setCheckState(c.onlyDropped);

        click("按钮1");
        ASSERT_TRUE(waitForPassEnd());
        std::string expected = c.presentLinesWritten ? present + check::kPresentMarker : "";
        expected += std::string("http://gone/") + check::kGoneMarker;
        expected += check::kGoneMarker;  // the blank line: nothing to fetch, so gone
        expected += std::string("http://unknown/") + check::kGoneMarker;
        EXPECT_EQ(results(), expected);
        EXPECT_EQ(label("透明标签7"), check::kCompletionMessage);
        EXPECT_EQ(controller_->pass().cursor(), 5);
    }
}

TEST_F(CommandsTest, TimerTickStartsOneCheck) {
    auto* timer = window_->findChild<app::CheckTimer*>(QString::fromUtf8("时钟1"));
    ASSERT_NE(timer, nullptr);
    emit timer->tick();
    ASSERT_TRUE(waitForPassEnd());
    EXPECT_EQ(controller_->pass().cursor(), 1);
    EXPECT_EQ(label("透明标签7"), check::kCompletionMessage);
}

TEST_F(CommandsTest, AddressListKeepsItsBufferUntilTheBoxChanges) {
    check::WindowFields& fields = controller_->fields();
    setAddresses("http://a/\r\nhttp://b/");
    std::shared_ptr<const std::string> first = fields.addressList();
    EXPECT_EQ(*first, "http://a/\r\nhttp://b/");

    // Asked from a worker, as a check asks, while the window thread waits for events.
    std::shared_ptr<const std::string> fromWorker;
    std::atomic<bool> done{false};
    std::thread([&] {
        fromWorker = fields.addressList();
        done = true;
    }).detach();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, kWaitMs));
    EXPECT_EQ(fromWorker.get(), first.get());
    control<QLineEdit>("编辑框2")->setText("feature");
    click("按钮_统计地址个数");
    EXPECT_EQ(fields.addressList().get(), first.get()) << "other controls do not matter";

    addressBox()->moveCursor(QTextCursor::End);
    QTest::keyClicks(addressBox(), "x");
    std::shared_ptr<const std::string> typed = fields.addressList();
    EXPECT_NE(typed.get(), first.get());
    EXPECT_EQ(*typed, "http://a/\r\nhttp://b/x");
    EXPECT_EQ(*first, "http://a/\r\nhttp://b/") << "a holder keeps the old list unchanged";

    setAddresses("http://a/\r\nhttp://b/x");  // the same text again, but set anew
    EXPECT_EQ(*fields.addressList(), "http://a/\r\nhttp://b/x");
}

// The real modal path: the question is open while the checks go on writing.
TEST_F(CommandsTest, PassKeepsWritingWhileAQuestionIsOpen) {
    pages_.set("http://a/", "x");
    setAddresses("http://a/\r\nhttp://b/\r\nhttp://c/\r\n");
    pages_.hold();
    click("按钮1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return label("透明标签7") == "http://a/"; }, kWaitMs));

    bool linesArrivedWhileOpen = false;
    bool sawQuestion = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        sawQuestion = true;
        pages_.release();
        linesArrivedWhileOpen =
            QTest::qWaitFor([&] { return label("透明标签8") == check::kProgressDone; }, kWaitMs);
        EXPECT_EQ(results(), std::string("http://a/") + check::kPresentMarker + "http://b/" +
                                 check::kGoneMarker + "http://c/" + check::kGoneMarker);
        EXPECT_EQ(label("透明标签7"), check::kCompletionMessage);
        box->button(QMessageBox::Ok)->click();
    });
    click("按钮3");
    EXPECT_TRUE(sawQuestion);
    EXPECT_TRUE(linesArrivedWhileOpen);
    EXPECT_EQ(results(), "") << "OK cleared the results";
}

TEST_F(CommandsTest, SaveButtonsStoreAndTheWindowCreatedStepLoads) {
    const std::string addressFile = app::programFile(settings::kAddressFile);
    const std::string featureFile = app::programFile(settings::kFeatureFile);
    QFile::remove(QString::fromLocal8Bit(addressFile.c_str()));
    QFile::remove(QString::fromLocal8Bit(featureFile.c_str()));
    auto* feature = control<QLineEdit>("编辑框2");
    const std::pair<const char*, std::string> cases[] = {{"按钮_保存配置", "http://address-tab/"},
                                                         {"按钮4", "http://check-tab/"}};
    for (const auto& [button, host] : cases) {
        SCOPED_TRACE(button);
        const std::string list = host + "\r\n" + kChinese + "\r\n";
        setAddresses(list);
        setBoxText(feature, kPage);
        Dialogs::setNextAnswer(true);
        click(button);
        EXPECT_EQ(Dialogs::takeAnsweredTexts(), std::vector<std::string>{kSavedNotice});
        setAddresses("");
        setBoxText(feature, "");
        controller_->windowCreated();
        EXPECT_EQ(addresses(), list);
        EXPECT_EQ(boxText(feature), kPage);
    }
    QFile::remove(QString::fromLocal8Bit(addressFile.c_str()));
    QFile::remove(QString::fromLocal8Bit(featureFile.c_str()));
}

TEST_F(CommandsTest, ImportReplacesTheListAndTheDialogOffersTheLastFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString listPath = dir.filePath(QStringLiteral("list.txt"));
    const QString otherPath = dir.filePath(QStringLiteral("other.dat"));
    const std::string imported = "http://imported/\r\n" + kChinese;
    {
        QFile f(listPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(imported.data(), qint64(imported.size()));
        QFile g(otherPath);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    }
    setAddresses("http://old/\r\n");
    setLabelText(control<QLabel>("透明标签2"), "1 \xB8\xF6");

    Dialogs::setNextFileName(std::nullopt);  // cancelled
    click("按钮_统计地址个数1");
    EXPECT_EQ(addresses(), "http://old/\r\n");
    EXPECT_TRUE(controller_->openDialog().fileName().isEmpty());

    Dialogs::setNextFileName(listPath);
    click("按钮_统计地址个数1");
    EXPECT_EQ(addresses(), imported);
    EXPECT_EQ(label("透明标签2"), "1 \xB8\xF6") << "the import does not count";
    EXPECT_EQ(controller_->openDialog().fileName(), listPath);
    EXPECT_EQ(controller_->openDialog().objectName(), QString::fromUtf8("通用对话框1"));
    EXPECT_EQ(controller_->openDialog().parent(), window_.get());

    // The real dialog, cancelled after a look at its settings.
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        inspected = true;
        EXPECT_EQ(dialog->nameFilters(), QStringList{OpenDialog::filterText()});
        EXPECT_EQ(text::encode(dialog->nameFilters().value(0)),
                  "\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE(*.txt)");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->selectedFiles(), QStringList{listPath});
        // The entry brings no pattern: a file that is not .txt is listed too.
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                QAbstractItemModel* m = view->model();
                for (int r = 0; r < m->rowCount(view->rootIndex()); ++r)
                    if (m->index(r, 0, view->rootIndex()).data().toString() == "other.dat")
                        return true;
                return false;
            },
            kWaitMs));
        dialog->reject();
    });
    click("按钮_统计地址个数1");
    EXPECT_TRUE(inspected);
    EXPECT_EQ(addresses(), imported) << "cancel changes nothing";
    EXPECT_EQ(controller_->openDialog().fileName(), listPath);
}

// The boxes as the user meets them, answered with each way out.
TEST(DialogsTest, NoticeAndQuestionBoxes) {
    Dialogs::resetSeam();
    enum class Way { Ok, Cancel, Escape, CloseBox };
    struct Case {
        bool question;
        Way way;
        bool expected;
    };
    const Case cases[] = {
        {false, Way::Ok, true},     {false, Way::Escape, true}, {true, Way::Ok, true},
        {true, Way::Cancel, false}, {true, Way::Escape, false}, {true, Way::CloseBox, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.question) + " " + std::to_string(int(c.way)));
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->parent(), nullptr);
            EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(text::encode(box->text()), "\xCE\xC4\xD7\xD6 text");
            if (c.question) {
                EXPECT_EQ(text::encode(box->windowTitle()), "\xCC\xE1\xCA\xBE\xA3\xBA");
                EXPECT_EQ(box->icon(), QMessageBox::Question);
                EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
            } else {
                EXPECT_EQ(text::encode(box->windowTitle()), "\xD0\xC5\xCF\xA2\xA3\xBA");
                EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
                EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            }
            switch (c.way) {
                case Way::Ok:
                    box->button(QMessageBox::Ok)->click();
                    break;
                case Way::Cancel:
                    box->button(QMessageBox::Cancel)->click();
                    break;
                case Way::Escape:
                    QTest::keyClick(box, Qt::Key_Escape);
                    break;
                case Way::CloseBox:
                    box->close();
                    break;
            }
        });
        // "文字 text"
        const std::string text = "\xCE\xC4\xD7\xD6 text";
        bool answer = true;
        if (c.question)
            answer = Dialogs::question(text);
        else
            Dialogs::notice(text);
        EXPECT_TRUE(seen);
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

}  // namespace
}  // namespace tq::ui
