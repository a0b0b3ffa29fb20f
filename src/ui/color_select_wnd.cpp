#include "ui/color_select_wnd.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <deque>

#include "core/diagnostics.h"
#include "ui/color_palette.h"
#include "ui/paint_manager.h"
#include "ui/skin_loader.h"

namespace qx::ui {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kOpaque = 0xFF000000u;

std::deque<CColorSelectWnd::Answer>& Answers() {
    static std::deque<CColorSelectWnd::Answer> answers;
    return answers;
}

bool NameIs(const QString& name, const char* wanted) {
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
}

// "prefix_N" -> N when `name` is `prefix` followed by a cell number, else -1.
int CellNumber(const QString& name, const char* prefix) {
    const QString start = QString::fromLatin1(prefix);
    if (!name.startsWith(start, Qt::CaseInsensitive)) return -1;
    bool ok = false;
    const int n = name.mid(start.size()).toInt(&ok);
    return ok && n >= 0 && n < CColorSelectWnd::kCellCount ? n : -1;
}

int Component(QLineEdit* edit) {
    if (edit == nullptr) return 0;
    bool ok = false;
    int value = edit->text().trimmed().toInt(&ok, 10);
    if (!ok || value < 0) value = 0;
    if (value > 255) value = 255;
    if (edit->text() != QString::number(value)) {
        const QSignalBlocker quiet(edit);
        edit->setText(QString::number(value));
    }
    return value;
}

}  // namespace

uint32_t BackgroundColour(const QWidget* control) {
    if (control == nullptr) return kOpaque;
    QString text = control->property("bkcolor").toString().trimmed();
    if (text.isEmpty()) return kOpaque;
    if (text.startsWith(QLatin1Char('#'))) {
        text = text.mid(1);
    } else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        text = text.mid(2);
    }
    bool ok = false;
    uint32_t value = text.toUInt(&ok, 16);
    if (!ok || text.size() > 8) return kOpaque;
    if (text.size() <= 6) value |= kOpaque;
    return value;
}

void SetBackgroundColour(QWidget* control, uint32_t argb) {
    if (control == nullptr) return;
    const QString hex = QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
    control->setProperty("bkcolor", hex);
    control->setStyleSheet(QStringLiteral("background-color: #%1; border: none;")
                               .arg(argb & 0xFFFFFFu, 6, 16, QLatin1Char('0')));
}

CColorSelectWnd::CColorSelectWnd(QWidget* parent, std::filesystem::path paletteFile,
                                 std::filesystem::path defaults)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::Tool),
      paintManager_(std::make_unique<ui::PaintManager>(this)),
      store_(paletteFile.empty() ? PaletteStore() : PaletteStore(paletteFile, defaults)) {
    setObjectName(QStringLiteral("ColorSelectWnd"));
    setWindowTitle(QStringLiteral("PalletDialog"));
    setModal(true);
    resize(kWidth, kHeight);
}

CColorSelectWnd::~CColorSelectWnd() = default;

bool CColorSelectWnd::Create() {
    ui::SkinLoader loader;
    QWidget* root = loader.BuildWindowContent(QStringLiteral("PalletDialog.ui"), this);
    if (root == nullptr) {
        DebugLine("PalletDialog.ui: " + loader.LastError().toStdString());
        return false;
    }
    paintManager_->OnNotifyBelow(this, this, [this](ui::TNotifyUI& msg) { Notify(msg); });
    paintManager_->AttachControls(this);
    Start();
    return true;
}

QWidget* CColorSelectWnd::Find(const QString& name) const {
    return paintManager_->FindControl(name);
}

void CColorSelectWnd::Start() {
    if (!store_.Open()) DebugLine("the palette file could not be written");
    SetColour(colour_);
    SetSevenColour(sevenColour_);
    // The preset cells keep the skin's colours; the stored selection is remembered.
    preset_ = store_.PresetSelection();
    LoadCustomColours();
    started_ = true;
}

void CColorSelectWnd::LoadCustomColours() {
    const std::vector<PaletteStore::CustomCell> cells = store_.CustomCells();
    for (int i = 0; i < kCellCount; ++i) {
        QWidget* cell = Find(QStringLiteral("collect_color_option_%1").arg(i));
        if (cell == nullptr || size_t(i) >= cells.size() || !cells[size_t(i)].present) continue;
        const PaletteStore::CustomCell& stored = cells[size_t(i)];
        cell->setProperty("UserData", QString::fromStdString(stored.userData));
        SetBackgroundColour(cell, stored.HoldsUserColour() ? stored.colour : kWhite);
    }
    // No custom cell is selected when the window opens.
    custom_ = -1;
    for (int i = 0; i < kCellCount; ++i) {
        if (auto* cell = qobject_cast<QAbstractButton*>(
                Find(QStringLiteral("collect_color_option_%1").arg(i)))) {
            const QSignalBlocker quiet(cell);
            cell->setChecked(false);
        }
    }
}

void CColorSelectWnd::SetColour(uint32_t argb) {
    colour_ = argb;
    ShowPreview(argb, false);
    if (auto* palette = qobject_cast<CColorPaletteUI*>(Find(QStringLiteral("Pallet"))))
        palette->SetSelectColor(argb);
    ShowComponents(argb);
}

void CColorSelectWnd::ShowComponents(uint32_t argb) {
    const std::pair<const char*, int> edits[] = {{"color_edit_r", int(argb >> 16 & 0xFF)},
                                                 {"color_edit_g", int(argb >> 8 & 0xFF)},
                                                 {"color_edit_b", int(argb & 0xFF)}};
    for (const auto& [name, value] : edits) {
        if (auto* edit = qobject_cast<QLineEdit*>(Find(QString::fromLatin1(name)))) {
            const QSignalBlocker quiet(edit);
            edit->setText(QString::number(value));
        }
    }
}

void CColorSelectWnd::ShowPreview(uint32_t argb, bool sevenColourPicture) {
    QWidget* preview = Find(QStringLiteral("color_show_btn"));
    if (preview == nullptr) return;
    SetBackgroundColour(preview, argb);
    preview->setProperty("bkimage",
                         sevenColourPicture ? QStringLiteral("common/base1.png") : QString());
}

void CColorSelectWnd::ShowSevenColourOption(bool show) {
    QWidget* option = Find(QStringLiteral("7color"));
    QWidget* layout = Find(QStringLiteral("7color_layout"));
    if (option != nullptr) option->setEnabled(show);
    if (layout != nullptr) layout->setVisible(show);
    if (!show) SetSevenColour(false);
}

void CColorSelectWnd::SetSevenColour(bool on) {
    sevenColour_ = on;
    if (auto* option = qobject_cast<QAbstractButton*>(Find(QStringLiteral("7color")))) {
        const QSignalBlocker quiet(option);
        option->setChecked(on);
    }
    if (QWidget* preview = Find(QStringLiteral("color_show_btn")))
        preview->setProperty("bkimage", on ? QStringLiteral("common/base1.png") : QString());
}

void CColorSelectWnd::SetDpi(int dpi) {
    if (!paintManager_->SetDpi(dpi)) {
        DebugLine("SET_WND DPI SET ERROR");
        paintManager_->SetDpi(96);
    }
}

// --- events

void CColorSelectWnd::Notify(ui::TNotifyUI& msg) {
    const QString& name = msg.senderName;
    if (msg.type == QLatin1String("click")) {
        if (NameIs(name, "okbtn")) {
            if (Find(QStringLiteral("Pallet")) != nullptr) {
                colour_ = BackgroundColour(Find(QStringLiteral("color_show_btn")));
                done(1);
            } else {
                done(2);
            }
        } else if (NameIs(name, "closebtn") || NameIs(name, "laterbtn")) {
            done(0);
        } else if (NameIs(name, "minbtn")) {
            showMinimized();
        } else if (NameIs(name, "maxbtn") || NameIs(name, "restorebtn")) {
            const bool maximise = NameIs(name, "maxbtn");
            if (maximise) {
                showMaximized();
            } else {
                showNormal();
            }
            if (QWidget* max = Find(QStringLiteral("maxbtn"))) max->setVisible(!maximise);
            if (QWidget* restore = Find(QStringLiteral("restorebtn")))
                restore->setVisible(maximise);
        } else if (NameIs(name, "7color")) {
            auto* option = qobject_cast<QAbstractButton*>(msg.sender);
            sevenColour_ = option != nullptr && option->isChecked();
            if (QWidget* preview = Find(QStringLiteral("color_show_btn")))
                preview->setProperty("bkimage",
                                     sevenColour_ ? QStringLiteral("common/base1.png") : QString());
        }
        // "7color_collect" and "menubtn" have no action.
    } else if (msg.type == QLatin1String("selectchanged")) {
        auto* option = qobject_cast<QAbstractButton*>(msg.sender);
        if (option != nullptr && !option->isChecked()) return;
        if (const int n = CellNumber(name, "collect_color_option_"); n >= 0) {
            SelectCustom(n);
        } else if (const int p = CellNumber(name, "color_option_"); p >= 0) {
            SelectPreset(p);
        }
    } else if (msg.type == QLatin1String("killfocus") || msg.type == QLatin1String("return")) {
        if (NameIs(name, "color_edit_r") || NameIs(name, "color_edit_g") ||
            NameIs(name, "color_edit_b"))
            TakeEdits();
    } else if (msg.type == QLatin1String("colorchanged")) {
        if (NameIs(name, "Pallet")) {
            colour_ = static_cast<uint32_t>(msg.wParam);
            ApplyToCustomCell();
            ShowComponents(colour_);
        }
    }
}

void CColorSelectWnd::SelectPreset(int n) {
    preset_ = n;
    SavePresetColours();
    colour_ = BackgroundColour(Find(QStringLiteral("color_option_%1").arg(n)));
    if (auto* palette = qobject_cast<CColorPaletteUI*>(Find(QStringLiteral("Pallet"))))
        palette->SetSelectColor(colour_);
    ApplyToCustomCell();
    ShowComponents(colour_);
}

void CColorSelectWnd::SelectCustom(int n) {
    custom_ = n;
    QWidget* cell = Find(QStringLiteral("collect_color_option_%1").arg(n));
    if (cell == nullptr) return;
    if (cell->property("UserData").toString().compare(QLatin1String("1"), Qt::CaseInsensitive) != 0)
        return;  // an empty cell only becomes the target of the next colour
    SaveCustomColours();
    const uint32_t argb = BackgroundColour(cell);
    colour_ = argb;
    ShowPreview(argb, false);
    SetSevenColour(false);
    if (auto* palette = qobject_cast<CColorPaletteUI*>(Find(QStringLiteral("Pallet"))))
        palette->SetSelectColor(argb);
    ShowComponents(argb);
}

void CColorSelectWnd::TakeEdits() {
    const int red = Component(qobject_cast<QLineEdit*>(Find(QStringLiteral("color_edit_r"))));
    const int green = Component(qobject_cast<QLineEdit*>(Find(QStringLiteral("color_edit_g"))));
    const int blue = Component(qobject_cast<QLineEdit*>(Find(QStringLiteral("color_edit_b"))));
    colour_ = kOpaque | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
    if (auto* palette = qobject_cast<CColorPaletteUI*>(Find(QStringLiteral("Pallet"))))
        palette->SetSelectColor(colour_);
    ApplyToCustomCell();
}

void CColorSelectWnd::ApplyToCustomCell() {
    if (custom_ >= 0) {
        auto* cell = qobject_cast<QAbstractButton*>(
            Find(QStringLiteral("collect_color_option_%1").arg(custom_)));
        if (cell != nullptr && cell->isChecked()) {
            SetBackgroundColour(cell, colour_);
            cell->setProperty("UserData", QStringLiteral("1"));
            SaveCustomColours();
        }
    }
    ShowPreview(colour_, false);
    SetSevenColour(false);
}

void CColorSelectWnd::SavePresetColours() {
    std::vector<uint32_t> colours = store_.PresetColours();
    colours.resize(kCellCount, 0);
    for (int i = 0; i < kCellCount; ++i) {
        if (QWidget* cell = Find(QStringLiteral("color_option_%1").arg(i)))
            colours[size_t(i)] = BackgroundColour(cell);
    }
    if (!store_.SavePresetColours(colours, preset_)) DebugLine("the palette file was not saved");
}

void CColorSelectWnd::SaveCustomColours() {
    std::vector<PaletteStore::CustomCell> cells = store_.CustomCells();
    cells.resize(kCellCount);
    for (int i = 0; i < kCellCount; ++i) {
        QWidget* cell = Find(QStringLiteral("collect_color_option_%1").arg(i));
        if (cell == nullptr) continue;
        cells[size_t(i)].present = true;
        cells[size_t(i)].colour = BackgroundColour(cell);
        cells[size_t(i)].userData = cell->property("UserData").toString().toStdString();
    }
    if (!store_.SaveCustomColours(cells, custom_)) DebugLine("the palette file was not saved");
}

void CColorSelectWnd::closeEvent(QCloseEvent* event) {
    // The window's own close ends this window only, with result 0.
    event->accept();
    done(0);
}

// --- opening

int CColorSelectWnd::Choose(QWidget* over, uint32_t current, int dpi, uint32_t* chosen) {
    CColorSelectWnd window(over);
    window.colour_ = current;
    if (!window.Create()) return 0;
    window.SetDpi(dpi);
    window.SetColour(current);
    window.ShowSevenColourOption(false);
    int result = 0;
    if (!Answers().empty()) {
        Answer answer = std::move(Answers().front());
        Answers().pop_front();
        window.setResult(0);
        if (answer) answer(window);
        result = window.result();
    } else {
        if (over != nullptr)
            window.move(over->geometry().center() -
                        QPoint(window.width() / 2, window.height() / 2));
        result = window.exec();
    }
    if (result == 1 && chosen != nullptr) *chosen = window.GetColour();
    return result;
}

void CColorSelectWnd::QueueAnswer(Answer answer) { Answers().push_back(std::move(answer)); }

}  // namespace qx::ui
