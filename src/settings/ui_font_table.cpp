#include "settings/ui_font_table.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QVariant>
#include <QWidget>

namespace qx::settings {
namespace {

QString& Family() {
    static QString family;
    return family;
}

const UiFontEntry& EntryFor(int id) {
    const std::vector<UiFontEntry>& table = UiFontTable();
    for (const UiFontEntry& entry : table) {
        if (entry.id == id) return entry;
    }
    return table.front();
}

void ApplyTo(QWidget* widget) {
    const QVariant id = widget->property(kFontIdProperty);
    if (!id.isValid()) return;
    bool ok = false;
    const int value = id.toInt(&ok);
    widget->setFont(UiFont(ok ? value : kDefaultFontId));
}

// Controls built after the table was applied (device pages, list entries, pop-ups) take their
// font when they are first polished, so no builder has to remember to apply it.
class FontIdFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish && watched->isWidgetType() && !Family().isEmpty()) {
            ApplyTo(static_cast<QWidget*>(watched));
        }
        return false;
    }
};

void InstallFilterOnce() {
    static FontIdFilter* filter = nullptr;
    if (filter != nullptr || QApplication::instance() == nullptr) return;
    filter = new FontIdFilter(QApplication::instance());
    QApplication::instance()->installEventFilter(filter);
}

}  // namespace

const std::vector<UiFontEntry>& UiFontTable() {
    static const std::vector<UiFontEntry> table = {
        {kDefaultFontId, 14, false, false},
        {0, 15, false, false},
        {1, 14, false, true},
        {2, 18, false, false},
        {3, 30, false, false},
        {4, 16, false, false},
        {5, 20, false, false},
        {6, 22, false, false},
        {7, 14, false, false},
        {8, 12, false, false},
        {9, 11, false, false},
        {10, 10, false, false},
        {11, 28, false, false},
        {50, 18, true, false},
    };
    return table;
}

QString UiFontFamily() { return Family(); }

QFont UiFont(int id) {
    const UiFontEntry& entry = EntryFor(id);
    QFont font;
    // A family the system lacks falls back through Qt's own substitution.
    if (!Family().isEmpty()) font.setFamilies({Family()});
    font.setPixelSize(entry.pixelSize);
    font.setBold(entry.bold);
    font.setUnderline(entry.underline);
    return font;
}

void ApplyFontIds(QWidget* subtree) {
    if (subtree == nullptr || Family().isEmpty()) return;
    ApplyTo(subtree);
    const QList<QWidget*> children = subtree->findChildren<QWidget*>();
    for (QWidget* child : children) ApplyTo(child);
}

namespace detail {

void SetUiFontFamily(const QString& family) {
    // The old table goes first: every entry is rebuilt from the new family.
    Family() = family;
    if (QApplication::instance() == nullptr) return;
    InstallFilterOnce();
    QApplication::setFont(UiFont(kDefaultFontId));
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) ApplyFontIds(window);
}

}  // namespace detail

}  // namespace qx::settings
