// Language texts: a control whose text is a language key shows the key's translation in the
// loaded language, and shows the new one when the language changes. Its accessible name (what a
// screen reader announces) follows the same texts: the translation of its text key, else of its
// tooltip key (icon buttons); an accessible name the skin or the code gave is kept.
//
// Language files live in SkinFolder()/lang/ and are JSON objects of key -> text (UTF-8).
#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace qx::ui {

class ResourceManager {
  public:
    static ResourceManager& GetInstance();

    void SetLanguage(const QString& name);
    QString Language() const { return language_; }
    // Loads a language file (name relative to the language folder, or an absolute path).
    // False when it can't be read; the previous texts stay.
    bool LoadLanguage(const QString& file);
    // Re-applies the texts of every control of every top-level window.
    void ReloadText();

    // The text of a key; the key itself when the language has no such key.
    QString Text(const QString& key) const;
    bool HasKey(const QString& key) const;

  private:
    QString language_;
    QHash<QString, QString> texts_;
};

// Sets a control's text (label, button, option, edit, group box, window title). When the text is
// a language key, the control remembers the key and shows (and later re-shows) its translation.
void SetControlText(QWidget* control, const QString& textOrKey);
// The text a control shows now.
QString ControlText(const QWidget* control);
// The key a control shows, empty when its text is not a key.
QString ControlTextKey(const QWidget* control);
// Remembers the keys of every control below `subtree` whose text is a key and translates them.
void TranslateTree(QWidget* subtree);

}  // namespace qx::ui
