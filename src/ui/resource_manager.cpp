#include "ui/resource_manager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "ui/skin_loader.h"

namespace qx::ui {
namespace {

// Where a control keeps the keys it shows: dynamic properties, so any widget can carry them.
constexpr const char* kTextKey = "qx_textkey";
constexpr const char* kToolTipKey = "qx_tooltipkey";
constexpr const char* kTitleKey = "qx_titlekey";
// The accessible name this module gave a control, so that a name from the skin or the code is
// never overwritten.
constexpr const char* kGivenAccessibleName = "qx_accessiblename";
constexpr int kItemKeyRole = Qt::UserRole + 0x5158;

// A language key is one word of ASCII letters, digits, '_', '.' or '-' with at least one letter
// ("kb_device_name_text", "message_text_22", "NeedUpdateText"). Numbers and sentences are not.
bool LooksLikeKey(const QString& text) {
    if (text.isEmpty()) return false;
    bool letter = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool isLetter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
        const bool isOther = (u >= '0' && u <= '9') || u == '_' || u == '.' || u == '-';
        if (!isLetter && !isOther) return false;
        letter = letter || isLetter;
    }
    return letter;
}

bool HasTextProperty(const QWidget* w) { return w->metaObject()->indexOfProperty("text") >= 0; }

// True for the widgets whose main text this module manages.
bool CarriesText(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) != nullptr ||
           qobject_cast<const QAbstractButton*>(w) != nullptr ||
           qobject_cast<const QLineEdit*>(w) != nullptr ||
           qobject_cast<const QGroupBox*>(w) != nullptr || HasTextProperty(w);
}

void ApplyText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else if (HasTextProperty(w)) {
        w->setProperty("text", text);
    } else {
        w->setWindowTitle(text);
    }
}

QString ReadText(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    if (HasTextProperty(w)) return w->property("text").toString();
    return w->windowTitle();
}

// The name a screen reader announces, from the control's language texts: the translation of its
// text key; nothing when it shows a plain text of its own (the reader takes that text); else the
// translation of its tooltip key (icon buttons), else of its window title key.
QString AccessibleNameFromTexts(const QWidget* w) {
    const ResourceManager& rm = ResourceManager::GetInstance();
    const QString key = w->property(kTextKey).toString();
    if (!key.isEmpty()) return rm.Text(key);
    if (CarriesText(w) && qobject_cast<const QLineEdit*>(w) == nullptr && !ReadText(w).isEmpty())
        return {};
    const QString tipKey = w->property(kToolTipKey).toString();
    if (!tipKey.isEmpty()) return rm.Text(tipKey);
    const QString titleKey = w->property(kTitleKey).toString();
    if (!titleKey.isEmpty()) return rm.Text(titleKey);
    return {};
}

void RefreshAccessibleName(QWidget* w) {
    const QString given = w->property(kGivenAccessibleName).toString();
    if (!w->accessibleName().isEmpty() && w->accessibleName() != given) return;
    const QString name = AccessibleNameFromTexts(w);
    if (name == w->accessibleName()) return;
    w->setAccessibleName(name);
    w->setProperty(kGivenAccessibleName, name);
}

// Shows the translations of the keys a control remembers.
void Retranslate(QWidget* w) {
    const ResourceManager& rm = ResourceManager::GetInstance();
    const QString key = w->property(kTextKey).toString();
    if (!key.isEmpty()) ApplyText(w, rm.Text(key));
    const QString tipKey = w->property(kToolTipKey).toString();
    if (!tipKey.isEmpty()) w->setToolTip(rm.Text(tipKey));
    const QString titleKey = w->property(kTitleKey).toString();
    if (!titleKey.isEmpty()) w->setWindowTitle(rm.Text(titleKey));
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            const QString itemKey = combo->itemData(i, kItemKeyRole).toString();
            if (!itemKey.isEmpty()) combo->setItemText(i, rm.Text(itemKey));
        }
    }
    RefreshAccessibleName(w);
}

// Takes the keys a control shows from the skin, then translates them.
void Remember(QWidget* w) {
    const ResourceManager& rm = ResourceManager::GetInstance();
    if (CarriesText(w) && w->property(kTextKey).toString().isEmpty()) {
        const QString text = ReadText(w);
        // What an edit holds is the user's unless the language knows it as a key.
        const bool editable = qobject_cast<QLineEdit*>(w) != nullptr;
        if (editable ? rm.HasKey(text) : LooksLikeKey(text)) w->setProperty(kTextKey, text);
    }
    if (w->property(kToolTipKey).toString().isEmpty() && LooksLikeKey(w->toolTip())) {
        w->setProperty(kToolTipKey, w->toolTip());
    }
    if (w->isWindow() && !CarriesText(w) && w->property(kTitleKey).toString().isEmpty() &&
        LooksLikeKey(w->windowTitle())) {
        w->setProperty(kTitleKey, w->windowTitle());
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemData(i, kItemKeyRole).toString().isEmpty() &&
                LooksLikeKey(combo->itemText(i))) {
                combo->setItemData(i, combo->itemText(i), kItemKeyRole);
            }
        }
    }
}

}  // namespace

ResourceManager& ResourceManager::GetInstance() {
    static ResourceManager manager;
    return manager;
}

void ResourceManager::SetLanguage(const QString& name) { language_ = name; }

bool ResourceManager::LoadLanguage(const QString& file) {
    if (file.isEmpty()) return false;
    const QString path = QDir(SkinLoader::SkinFolder() + "/lang").filePath(file);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return false;
    QHash<QString, QString> texts;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString()) texts.insert(it.key(), it.value().toString());
    }
    texts_ = std::move(texts);
    return true;
}

void ResourceManager::ReloadText() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        Retranslate(window);
        const QList<QWidget*> children = window->findChildren<QWidget*>();
        for (QWidget* child : children) Retranslate(child);
    }
}

QString ResourceManager::Text(const QString& key) const { return texts_.value(key, key); }

bool ResourceManager::HasKey(const QString& key) const { return texts_.contains(key); }

void SetControlText(QWidget* control, const QString& textOrKey) {
    if (control == nullptr) return;
    if (LooksLikeKey(textOrKey)) {
        control->setProperty(kTextKey, textOrKey);
        ApplyText(control, ResourceManager::GetInstance().Text(textOrKey));
    } else {
        control->setProperty(kTextKey, QVariant());
        ApplyText(control, textOrKey);
    }
    RefreshAccessibleName(control);
}

QString ControlText(const QWidget* control) {
    return control == nullptr ? QString() : ReadText(control);
}

QString ControlTextKey(const QWidget* control) {
    return control == nullptr ? QString() : control->property(kTextKey).toString();
}

void TranslateTree(QWidget* subtree) {
    if (subtree == nullptr) return;
    Remember(subtree);
    Retranslate(subtree);
    const QList<QWidget*> children = subtree->findChildren<QWidget*>();
    for (QWidget* child : children) {
        Remember(child);
        Retranslate(child);
    }
}

}  // namespace qx::ui
