#include "devices/panels/music_wnd.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <deque>

#include "core/diagnostics.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::devices {
namespace {

constexpr const char* kMissingControl = "GetAudioLightInfo control is NULL";
constexpr const char* kSliders[3] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};

std::deque<MusicWnd::Answer>& Answers() {
    static std::deque<MusicWnd::Answer> answers;
    return answers;
}

// The name an empty edit gives its preset ("first group" ... "fourth group").
QString DefaultName(int preset) {
    static const char16_t* const kNames[] = {u"第一组", u"第二组", u"第三组", u"第四组"};
    return QString::fromUtf16(kNames[std::clamp(preset, 0, 3)]);
}

// "prefixN" with N in 1-4 -> N - 1; else -1.
int PresetOf(const QString& name, const char* prefix) {
    const QString start = QString::fromLatin1(prefix);
    if (!name.startsWith(start)) return -1;
    bool ok = false;
    const int n = name.mid(start.size()).toInt(&ok);
    return ok && n >= 1 && n <= MusicWnd::kPresetCount ? n - 1 : -1;
}

}  // namespace

MusicWnd::MusicWnd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::Tool),
      paintManager_(std::make_unique<ui::PaintManager>(this)) {
    setObjectName(QStringLiteral("MusicWnd"));
    setWindowTitle(QStringLiteral("MusicWnd"));
    setModal(true);
    resize(kWidth, kHeight);
}

MusicWnd::~MusicWnd() = default;

QWidget* MusicWnd::Find(const QString& name) const { return paintManager_->FindControl(name); }

bool MusicWnd::Create() {
    ui::SkinLoader loader;
    if (loader.BuildWindowContent(QStringLiteral("music.ui"), this) == nullptr) {
        error_ = QStringLiteral("music.ui: ") + loader.LastError();
        DebugLine(error_.toStdString());
        return false;
    }
    paintManager_->AttachControls(this);
    // Only a click presses a button: Enter in a name edit must not end the window.
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    // Every option, slider and edit is needed: a window without one could not show a preset.
    for (int n = 1; n <= kPresetCount; ++n) {
        if (qobject_cast<QAbstractButton*>(Find(QStringLiteral("audio_select_tab%1").arg(n))) ==
                nullptr ||
            qobject_cast<QLineEdit*>(Find(QStringLiteral("audio_edit_name%1").arg(n))) == nullptr)
            error_ = QString::fromLatin1(kMissingControl);
    }
    for (const char* name : kSliders) {
        auto* slider = qobject_cast<QAbstractSlider*>(Find(QString::fromLatin1(name)));
        if (slider == nullptr) {
            error_ = QString::fromLatin1(kMissingControl);
            continue;
        }
        const QSignalBlocker quiet(slider);
        slider->setRange(0, kMaxStep);
    }
    if (!error_.isEmpty()) {
        DebugLine(error_.toStdString());
        return false;
    }
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    SetStyles(styles_);
    return true;
}

void MusicWnd::SetStyles(const AudioStyleSet& styles) {
    styles_ = styles;
    styles_.selected = std::min<uint8_t>(styles_.selected, kPresetCount - 1);
    for (auto& colour : styles_.colours) {
        for (uint8_t& step : colour) step = std::min<uint8_t>(step, kMaxStep);
    }
    for (int p = 0; p < kPresetCount; ++p) {
        if (auto* edit =
                qobject_cast<QLineEdit*>(Find(QStringLiteral("audio_edit_name%1").arg(p + 1)))) {
            const QSignalBlocker quiet(edit);
            edit->setText(QString::fromStdString(styles_.names[size_t(p)]));
        }
        if (auto* option = qobject_cast<QAbstractButton*>(
                Find(QStringLiteral("audio_select_tab%1").arg(p + 1)))) {
            const QSignalBlocker quiet(option);
            option->setChecked(p == styles_.selected);
        }
    }
    ShowPreset(styles_.selected);
}

void MusicWnd::ShowPreset(int preset) {
    for (int c = 0; c < 3; ++c) {
        if (auto* slider = qobject_cast<QAbstractSlider*>(Find(QString::fromLatin1(kSliders[c])))) {
            const QSignalBlocker quiet(slider);
            slider->setValue(styles_.colours[size_t(preset)][size_t(c)]);
        }
    }
}

void MusicWnd::TakeName(int preset) {
    auto* edit =
        qobject_cast<QLineEdit*>(Find(QStringLiteral("audio_edit_name%1").arg(preset + 1)));
    if (edit == nullptr) return;
    QString text = edit->text();
    if (text.isEmpty()) {
        text = DefaultName(preset);
        const QSignalBlocker quiet(edit);
        edit->setText(text);
    }
    styles_.names[size_t(preset)] = text.toStdString();
}

void MusicWnd::SetDpi(int dpi) {
    if (!paintManager_->SetDpi(dpi)) {
        DebugLine("SET_WND DPI SET ERROR");
        paintManager_->SetDpi(96);
    }
}

void MusicWnd::Notify(ui::TNotifyUI& msg) {
    const QString& name = msg.senderName;
    if (msg.type == QLatin1String("click")) {
        if (name == QLatin1String("okbtn")) {
            // An edit that still has the focus gives its name first.
            for (int p = 0; p < kPresetCount; ++p) TakeName(p);
            done(1);
        } else if (name == QLatin1String("closebtn") || name == QLatin1String("cancelbtn")) {
            done(0);
        }
    } else if (msg.type == QLatin1String("selectchanged")) {
        const int preset = PresetOf(name, "audio_select_tab");
        if (preset >= 0 && msg.wParam != 0) {
            styles_.selected = static_cast<uint8_t>(preset);
            ShowPreset(preset);
        }
    } else if (msg.type == QLatin1String("valuechanged")) {
        for (int c = 0; c < 3; ++c) {
            if (name != QLatin1String(kSliders[c])) continue;
            // The preset whose option is selected; the first when none is.
            int preset = 0;
            for (int p = 0; p < kPresetCount; ++p) {
                auto* option = qobject_cast<QAbstractButton*>(
                    Find(QStringLiteral("audio_select_tab%1").arg(p + 1)));
                if (option != nullptr && option->isChecked()) preset = p;
            }
            styles_.colours[size_t(preset)][size_t(c)] =
                static_cast<uint8_t>(std::clamp<qintptr>(msg.wParam, 0, kMaxStep));
        }
    } else if (msg.type == QLatin1String("killfocus") || msg.type == QLatin1String("return")) {
        const int preset = PresetOf(name, "audio_edit_name");
        if (preset >= 0) TakeName(preset);
    }
}

void MusicWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MusicWnd::closeEvent(QCloseEvent* event) {
    event->accept();
    done(0);
}

int MusicWnd::Run(QWidget* over, int dpi, AudioStyleSet* styles) {
    if (styles == nullptr) return 0;
    MusicWnd window(over);
    window.styles_ = *styles;
    if (!window.Create()) return 0;
    window.SetDpi(dpi);
    int result = 0;
    if (!Answers().empty()) {
        Answer answer = std::move(Answers().front());
        Answers().pop_front();
        window.setResult(0);
        if (answer) answer(window);
        result = window.result();
    } else {
        if (over != nullptr) {
            const QWidget* top = over->window();
            window.move(top->geometry().center() - QPoint(window.width() / 2, window.height() / 2));
        }
        result = window.exec();
    }
    if (result == 1) *styles = window.Styles();
    return result;
}

void MusicWnd::QueueAnswer(Answer answer) { Answers().push_back(std::move(answer)); }

}  // namespace qx::devices
