#include "devices/panels/dpi_panel.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>

#include "devices/base/user_message.h"
#include "devices/mouse/orvane_mouse_device.h"
#include "ui/paint_manager.h"

namespace qx::devices {
namespace {

template <class T>
T* Find(QWidget* page, const QString& name) {
    return qobject_cast<T*>(ui::PaintManager::FindSubControlByName(page, name));
}

void SetChecked(QAbstractButton* button, bool checked) {
    if (button == nullptr) return;
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

void Report(const QString& error) {
    if (!error.isEmpty()) ShowUserMessage(error);
}

}  // namespace

CDpiPanel::CDpiPanel(COrvaneMouseDevice& mouse, QWidget* page) : mouse_(mouse), page_(page) {
    if (page == nullptr) return;
    for (int i = 0; i < kMouseStageCount; ++i) {
        Row& row = rows_[static_cast<size_t>(i)];
        row.layout = Find<QWidget>(page, QStringLiteral("DPI_layout_%1").arg(i));
        row.enable = Find<QAbstractButton>(page, QStringLiteral("DPI_enable_check_%1").arg(i));
        row.select = Find<QAbstractButton>(page, QStringLiteral("DPI_select_check_%1").arg(i));
        row.slider = Find<QAbstractSlider>(page, QStringLiteral("DPI_slider_%1").arg(i));
        row.edit = Find<QLineEdit>(page, QStringLiteral("DPI_edit_%1").arg(i));
        row.colour = Find<QAbstractButton>(page, QStringLiteral("DPI_color_option_%1").arg(i));
    }
    for (int i = 0; i < kPollingOptions; ++i)
        polling_[static_cast<size_t>(i)] =
            Find<QAbstractButton>(page, QStringLiteral("polling_rate_option_%1").arg(i));
    for (int i = 0; i < kSettingPages; ++i)
        pageOptions_[static_cast<size_t>(i)] =
            Find<QAbstractButton>(page, QStringLiteral("mouse_device_seting_option_%1").arg(i));
    pages_ = Find<QStackedWidget>(page, QStringLiteral("mouse_device_seting_layout"));
    SetRanges(mouse_.Scale());
    Subscribe();
    UpdateColourButtons();
    ShowPage(0);
}

QAbstractSlider* CDpiPanel::Slider(int stage) const {
    return rows_.at(static_cast<size_t>(stage)).slider;
}
QLineEdit* CDpiPanel::Edit(int stage) const { return rows_.at(static_cast<size_t>(stage)).edit; }
QAbstractButton* CDpiPanel::EnableCheck(int stage) const {
    return rows_.at(static_cast<size_t>(stage)).enable;
}
QAbstractButton* CDpiPanel::SelectCheck(int stage) const {
    return rows_.at(static_cast<size_t>(stage)).select;
}
QAbstractButton* CDpiPanel::ColourButton(int stage) const {
    return rows_.at(static_cast<size_t>(stage)).colour;
}
QAbstractButton* CDpiPanel::PollingOption(int index) const {
    return polling_.at(static_cast<size_t>(index));
}

void CDpiPanel::Subscribe() {
    ui::PaintManager* manager = mouse_.Manager();
    if (manager == nullptr) return;
    const QString select = QStringLiteral("selectchanged");
    for (int i = 0; i < kMouseStageCount; ++i) {
        Row& row = rows_[static_cast<size_t>(i)];
        if (row.slider) {
            manager->OnNotify(
                row.slider, QStringLiteral("valuechanged"), this,
                [this, i](ui::TNotifyUI& msg) { OnSliderValue(i, static_cast<int>(msg.wParam)); });
            // While the handle is dragged the edit follows it; the value is taken on release.
            manager->OnNotify(
                row.slider, QStringLiteral("movevaluechanged"), this,
                [this, i](ui::TNotifyUI& msg) {
                    if (QLineEdit* edit = Edit(i))
                        edit->setText(QString::number(scale_.ToDpi(static_cast<int>(msg.wParam))));
                });
        }
        if (row.edit) {
            manager->OnNotify(row.edit, QStringLiteral("killfocus"), this,
                              [this, i](ui::TNotifyUI&) { OnEditDone(i); });
            manager->OnNotify(row.edit, QStringLiteral("return"), this,
                              [this, i](ui::TNotifyUI&) { OnEditDone(i); });
        }
        if (row.enable) {
            manager->OnNotify(row.enable, select, this,
                              [this, i](ui::TNotifyUI& msg) { OnEnable(i, msg.wParam != 0); });
        }
        if (row.select) {
            manager->OnNotify(row.select, select, this, [this, i](ui::TNotifyUI& msg) {
                if (msg.wParam != 0) OnSelect(i);
            });
        }
        if (row.colour) {
            manager->OnNotify(row.colour, QStringLiteral("click"), this,
                              [this, i](ui::TNotifyUI&) { OnColour(i); });
        }
    }
    for (int i = 0; i < kPollingOptions; ++i) {
        if (QAbstractButton* option = polling_[static_cast<size_t>(i)]) {
            manager->OnNotify(option, select, this, [this, i](ui::TNotifyUI& msg) {
                if (msg.wParam != 0) OnPolling(i);
            });
        }
    }
    for (int i = 0; i < kSettingPages; ++i) {
        if (QAbstractButton* option = pageOptions_[static_cast<size_t>(i)]) {
            manager->OnNotify(option, select, this, [this, i](ui::TNotifyUI& msg) {
                if (msg.wParam != 0) ShowPage(i);
            });
        }
    }
}

// --- showing

void CDpiPanel::SetRanges(const DpiScale& scale) {
    scale_ = scale;
    for (Row& row : rows_) {
        if (row.slider) {
            const QSignalBlocker quiet(row.slider.data());
            row.slider->setRange(0, std::max(scale.maxSteps, 0));
        }
        if (row.edit) row.edit->setMaxLength(6);
    }
}

void CDpiPanel::Show(const MouseSettings& settings) {
    activeStage_ = settings.activeStage;
    for (int i = 0; i < kMouseStageCount; ++i) {
        if (static_cast<size_t>(i) >= settings.stages.size()) break;
        const DpiStageRecord& stage = settings.stages[static_cast<size_t>(i)];
        ShowStageEnable(i, stage.active != 0);
        ShowStageValue(i, stage.dpiX, settings.activeStage);
        ShowStageColour(i, stage.red, stage.green, stage.blue);
    }
    ShowActive(settings.activeStage);
    ShowPolling(settings.PollingIndex());
}

void CDpiPanel::ShowStageValue(int stage, int steps, int activeStage) {
    Row& row = rows_[static_cast<size_t>(stage)];
    if (!row.slider) return;
    {
        const QSignalBlocker quiet(row.slider.data());
        row.slider->setValue(steps);
    }
    if (!row.edit) return;
    row.slider->setProperty("activestage", stage == activeStage);
    row.edit->setText(QString::number(scale_.ToDpi(steps)));
}

void CDpiPanel::ShowStageEnable(int stage, bool enabled) {
    Row& row = rows_[static_cast<size_t>(stage)];
    if (row.layout) row.layout->setProperty("stageenabled", enabled);
    if (row.slider) row.slider->setEnabled(enabled);
    if (row.edit) row.edit->setEnabled(enabled);
    SetChecked(row.enable, enabled);
}

void CDpiPanel::ShowActive(int stage) {
    activeStage_ = stage;
    int enabledCount = 0;
    for (const Row& row : rows_)
        if (row.enable && row.enable->isChecked()) ++enabledCount;
    for (int i = 0; i < kMouseStageCount; ++i) {
        Row& row = rows_[static_cast<size_t>(i)];
        SetChecked(row.select, i == stage);
        if (row.slider) row.slider->setProperty("activestage", i == stage);
        if (!row.enable) continue;
        // The active stage, and the last enabled one, cannot be switched off.
        const bool last = row.enable->isChecked() && enabledCount <= 1;
        row.enable->setEnabled(i != stage && !last);
    }
}

void CDpiPanel::ShowStageColour(int stage, uint8_t red, uint8_t green, uint8_t blue) {
    Row& row = rows_[static_cast<size_t>(stage)];
    if (!row.colour) return;
    const QColor colour(red, green, blue);
    row.colour->setProperty("bkcolor", colour.name());
    row.colour->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour.name()));
}

void CDpiPanel::ShowPolling(int index) {
    if (index < 0 || index >= kPollingOptions) index = 0;
    for (int i = 0; i < kPollingOptions; ++i)
        SetChecked(polling_[static_cast<size_t>(i)], i == index);
}

void CDpiPanel::ShowPage(int index) {
    const int count = pages_ ? pages_->count() : 0;
    if (index < 0 || index >= count) index = 0;
    if (pages_ && count > 0) pages_->setCurrentIndex(index);
    for (int i = 0; i < kSettingPages; ++i)
        SetChecked(pageOptions_[static_cast<size_t>(i)], i == index);
}

void CDpiPanel::UpdateColourButtons() {
    const bool picker = static_cast<bool>(mouse_.GetColourPicker());
    for (Row& row : rows_) {
        if (row.colour) row.colour->setEnabled(picker);
    }
}

// --- what the user changes

void CDpiPanel::Change(std::function<void(MouseSettings&)> edit) {
    QPointer<CDpiPanel> self(this);
    mouse_.ChangeSettings(std::move(edit), true, [self, this](const QString& error) {
        Report(error);
        if (self) Show(mouse_.Settings());
    });
}

void CDpiPanel::OnSliderValue(int stage, int steps) {
    steps = std::clamp(steps, 0, std::max(scale_.maxSteps, 0));
    ShowStageValue(stage, steps, activeStage_);
    Change(
        [stage, steps](MouseSettings& s) { s.Stage(stage).dpiX = static_cast<uint16_t>(steps); });
}

void CDpiPanel::OnEditDone(int stage) {
    QLineEdit* edit = Edit(stage);
    if (edit == nullptr || !edit->isEnabled()) return;
    const int steps = scale_.ToSteps(edit->text().trimmed().toStdString());
    const MouseSettings now = mouse_.Settings();
    const bool same = static_cast<size_t>(stage) < now.stages.size() &&
                      now.stages[static_cast<size_t>(stage)].dpiX == steps;
    ShowStageValue(stage, steps, activeStage_);
    // Leaving the edit without a change writes nothing.
    if (same) return;
    Change(
        [stage, steps](MouseSettings& s) { s.Stage(stage).dpiX = static_cast<uint16_t>(steps); });
}

void CDpiPanel::OnEnable(int stage, bool enabled) {
    ShowStageEnable(stage, enabled);
    ShowActive(activeStage_);
    Change([stage, enabled](MouseSettings& s) { s.Stage(stage).active = enabled ? 1 : 0; });
}

void CDpiPanel::OnSelect(int stage) {
    ShowActive(stage);
    std::array<int, kMouseStageCount> values{};
    for (int i = 0; i < kMouseStageCount; ++i) {
        QAbstractSlider* slider = Slider(i);
        values[static_cast<size_t>(i)] = slider != nullptr ? slider->value() : -1;
    }
    Change([stage, values](MouseSettings& s) {
        s.activeStage = stage;
        s.Stage(stage);
        // Every stage takes its slider's value (a stage without slider keeps its own).
        for (size_t i = 0; i < s.stages.size() && i < values.size(); ++i)
            if (values[i] >= 0) s.stages[i].dpiX = static_cast<uint16_t>(values[i]);
    });
}

void CDpiPanel::OnColour(int stage) {
    const COrvaneMouseDevice::ColourPicker& picker = mouse_.GetColourPicker();
    if (pickerOpen_ || !picker) return;
    const MouseSettings now = mouse_.Settings();
    QColor current(255, 255, 255);
    if (static_cast<size_t>(stage) < now.stages.size()) {
        const DpiStageRecord& s = now.stages[static_cast<size_t>(stage)];
        current = QColor(s.red, s.green, s.blue);
    }
    pickerOpen_ = true;
    QPointer<CDpiPanel> self(this);
    picker(current, [self, this, stage](QColor chosen) {
        if (!self) return;
        pickerOpen_ = false;
        if (!chosen.isValid()) return;  // cancelled: nothing changes
        ShowStageColour(stage, static_cast<uint8_t>(chosen.red()),
                        static_cast<uint8_t>(chosen.green()), static_cast<uint8_t>(chosen.blue()));
        const auto r = static_cast<uint8_t>(chosen.red());
        const auto g = static_cast<uint8_t>(chosen.green());
        const auto b = static_cast<uint8_t>(chosen.blue());
        Change([stage, r, g, b](MouseSettings& s) {
            DpiStageRecord& record = s.Stage(stage);
            record.red = r;
            record.green = g;
            record.blue = b;
        });
    });
}

void CDpiPanel::OnPolling(int index) {
    ShowPolling(index);
    Change([index](MouseSettings& s) { s.SetPollingIndex(index); });
}

}  // namespace qx::devices
