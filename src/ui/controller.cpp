#include "ui/controller.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QWidget>

#include "app/folder.h"
#include "app/thread.h"
#include "app/timer.h"
#include "check/split.h"
#include "settings/settings.h"
#include "text/cp936.h"
#include "ui/boxtext.h"
#include "ui/dialogs.h"
#include "ui/skin/olivestyle.h"

namespace tq::ui {

namespace {

// " 个"
constexpr char kCountSuffix[] = " \xB8\xF6";
// "确定要清空所有地址吗?"
constexpr char kClearAddressesQuestion[] =
    "\xC8\xB7\xB6\xA8\xD2\xAA\xC7\xE5\xBF\xD5\xCB\xF9\xD3\xD0\xB5\xD8\xD6\xB7\xC2\xF0?";
// "确定要清空所有检测结果吗?"
constexpr char kClearResultsQuestion[] =
    "\xC8\xB7\xB6\xA8\xD2\xAA\xC7\xE5\xBF\xD5\xCB\xF9\xD3\xD0\xBC\xEC\xB2\xE2\xBD\xE1\xB9\xFB"
    "\xC2\xF0?";
// "已复制到剪贴板"
constexpr char kCopiedNotice[] = "\xD2\xD1\xB8\xB4\xD6\xC6\xB5\xBD\xBC\xF4\xCC\xF9\xB0\xE5";

}  // namespace

struct Controller::Controls {
    QPlainTextEdit* addressBox = nullptr;
    QLineEdit* featureBox = nullptr;
    QPlainTextEdit* resultsBox = nullptr;
    QCheckBox* onlyDropped = nullptr;
    QLabel* countLabel = nullptr;
    QLabel* statusLabel = nullptr;
    QLabel* progressLabel = nullptr;
    QPushButton* count = nullptr;
    QPushButton* import = nullptr;
    QPushButton* clearAddresses = nullptr;
    QPushButton* copy = nullptr;
    QPushButton* saveOnAddressTab = nullptr;
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* clearResults = nullptr;
    QPushButton* saveOnCheckTab = nullptr;
    app::CheckTimer* timer = nullptr;
};

// What a check reads and writes. Workers call in; every access runs on the window thread
// while the worker waits.
class Controller::Fields : public check::WindowFields {
public:
    explicit Fields(Controller& c) : c_(c) {}

    std::shared_ptr<const std::string> addressList() override {
        std::shared_ptr<const std::string> list;
        app::runOnWindowThread([&] { list = c_.addressListNow(); });
        return list;
    }
    std::string featureString() override {
        std::string text;
        app::runOnWindowThread([&] { text = boxText(c_.c_->featureBox); });
        return text;
    }
    bool onlyDropped() override {
        bool checked = false;
        // A partially checked box reads as not checked.
        app::runOnWindowThread([&] { checked = c_.c_->onlyDropped->checkState() == Qt::Checked; });
        return checked;
    }
    void setStatus(const std::string& text) override { setLabel(c_.c_->statusLabel, text); }
    void setProgress(const std::string& text) override { setLabel(c_.c_->progressLabel, text); }
    void appendResult(const std::string& line) override {
        app::runOnWindowThread([&] { appendBoxText(c_.c_->resultsBox, line); });
    }
    // On the window thread the accesses inside run directly, so the worker waits only once.
    void together(const std::function<void()>& accesses) override {
        app::runOnWindowThread(accesses);
    }

private:
    // The label is painted before the worker goes on, so a slow fetch that follows never
    // leaves the previous text on screen.
    static void setLabel(QLabel* label, const std::string& text) {
        app::runOnWindowThread([&] {
            setLabelText(label, text);
            label->repaint();
        });
    }
    Controller& c_;
};

// What the settings commands need; they run on the window thread already.
class Controller::SettingsAccess : public settings::SettingsWindow {
public:
    explicit SettingsAccess(Controller& c) : c_(c) {}

    std::string addressList() override { return *c_.addressListNow(); }
    void setAddressList(const std::string& text) override { setBoxText(c_.c_->addressBox, text); }
    std::string featureString() override { return boxText(c_.c_->featureBox); }
    void setFeatureString(const std::string& text) override { setBoxText(c_.c_->featureBox, text); }
    void processPendingEvents() override { app::processPendingEvents(); }
    void notice(const std::string& text) override { Dialogs::notice(text); }
    std::optional<std::string> chooseImportFile() override {
        std::optional<QString> path = c_.openDialog_->choose();
        if (!path)
            return std::nullopt;
        // A path is the file system's name for the file, not a text of the program.
        QByteArray name = QFile::encodeName(*path);
        return std::string(name.constData(), std::size_t(name.size()));
    }

private:
    Controller& c_;
};

namespace {

template <typename T>
bool find(QWidget& window, const char* name, T*& out, QString* missing) {
    QString objectName = QString::fromUtf8(name);
    out = window.findChild<T*>(objectName);
    if (!out && missing && missing->isEmpty())
        *missing = objectName;
    return out != nullptr;
}

}  // namespace

std::unique_ptr<Controller> Controller::bind(QWidget& window, check::FetchPage fetch,
                                             QString* missing) {
    auto c = std::make_unique<Controls>();
    QString firstMissing;
    bool ok = true;
    ok &= find(window, "编辑框1", c->addressBox, &firstMissing);
    ok &= find(window, "编辑框2", c->featureBox, &firstMissing);
    ok &= find(window, "编辑框_检测结果", c->resultsBox, &firstMissing);
    ok &= find(window, "选择框1", c->onlyDropped, &firstMissing);
    ok &= find(window, "透明标签2", c->countLabel, &firstMissing);
    ok &= find(window, "透明标签7", c->statusLabel, &firstMissing);
    ok &= find(window, "透明标签8", c->progressLabel, &firstMissing);
    ok &= find(window, "按钮_统计地址个数", c->count, &firstMissing);
    ok &= find(window, "按钮_统计地址个数1", c->import, &firstMissing);
    ok &= find(window, "按钮_统计地址个数2", c->clearAddresses, &firstMissing);
    ok &= find(window, "按钮_统计地址个数3", c->copy, &firstMissing);
    ok &= find(window, "按钮_保存配置", c->saveOnAddressTab, &firstMissing);
    ok &= find(window, "按钮1", c->start, &firstMissing);
    ok &= find(window, "按钮2", c->stop, &firstMissing);
    ok &= find(window, "按钮3", c->clearResults, &firstMissing);
    ok &= find(window, "按钮4", c->saveOnCheckTab, &firstMissing);
    ok &= find(window, "时钟1", c->timer, &firstMissing);
    if (!ok) {
        if (missing)
            *missing = firstMissing;
        return nullptr;
    }
    return std::unique_ptr<Controller>(new Controller(window, std::move(c), std::move(fetch)));
}

Controller::Controller(QWidget& window, std::unique_ptr<Controls> controls, check::FetchPage fetch)
    : window_(window),
      c_(std::move(controls)),
      openDialog_(new OpenDialog(&window)),
      fields_(std::make_unique<Fields>(*this)),
      settings_(std::make_unique<SettingsAccess>(*this)),
      pass_(std::make_unique<check::CheckPass>(*fields_, std::move(fetch), app::startWorker)) {
    openDialog_->setObjectName(QString::fromUtf8("通用对话框1"));
    connectCommands();
}

Controller::~Controller() = default;

check::WindowFields& Controller::fields() {
    return *fields_;
}

void Controller::connectCommands() {
    connect(c_->addressBox->document(), &QTextDocument::contentsChanged, this,
            [this] { addressCache_.reset(); });
    connect(c_->count, &QPushButton::clicked, this, &Controller::countAddresses);
    connect(c_->import, &QPushButton::clicked, this, &Controller::importAddresses);
    connect(c_->clearAddresses, &QPushButton::clicked, this, &Controller::clearAddresses);
    connect(c_->copy, &QPushButton::clicked, this, &Controller::copyAddresses);
    connect(c_->saveOnAddressTab, &QPushButton::clicked, this, &Controller::saveSettings);
    connect(c_->start, &QPushButton::clicked, this, &Controller::start);
    connect(c_->stop, &QPushButton::clicked, this, &Controller::stop);
    connect(c_->clearResults, &QPushButton::clicked, this, &Controller::clearResults);
    connect(c_->saveOnCheckTab, &QPushButton::clicked, this, &Controller::saveSettings);
    connect(c_->timer, &app::CheckTimer::tick, this, [this] { pass_->startCheck(); });
}

std::shared_ptr<const std::string> Controller::addressListNow() {
    if (!addressCache_)
        addressCache_ = std::make_shared<const std::string>(boxText(c_->addressBox));
    return addressCache_;
}

void Controller::windowCreated() {
    skin::applySkin();
    settings::load(*settings_, app::programFolder());
}

void Controller::countAddresses() {
    std::shared_ptr<const std::string> list = addressListNow();
    std::string text = std::to_string(check::splitAddressList(*list).size()) + kCountSuffix;
    setLabelText(c_->countLabel, text);
}

void Controller::importAddresses() {
    settings::importAddresses(*settings_);
}

void Controller::clearAddresses() {
    if (Dialogs::question(kClearAddressesQuestion))
        setBoxText(c_->addressBox, "");
}

void Controller::copyAddresses() {
    // Plain text, CR LF between lines as in the box; it replaces what the clipboard held, and
    // an empty list leaves an empty text there. A clipboard that cannot be written is silent.
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text::decode(*addressListNow()));
    Dialogs::notice(kCopiedNotice);
}

void Controller::saveSettings() {
    settings::save(*settings_, app::programFolder());
}

void Controller::start() {
    pass_->startPass();
}

void Controller::stop() {
    c_->timer->setPeriod(0);
}

void Controller::clearResults() {
    if (Dialogs::question(kClearResultsQuestion))
        setBoxText(c_->resultsBox, "");
}

}  // namespace tq::ui
