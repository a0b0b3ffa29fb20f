// A row of the macro editor's event list, whose content comes from a skin file
// ("XML/CustomControlXML/ComboEditElementItem.ui") and holds "text1", "text2" and "delay_edit".
// Click selects (Ctrl toggles), release raises "itemclick", double click or Enter activates.
#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;

namespace qx::controls {

class CComboEditContainerElementUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool menu READ MenuEnabled WRITE SetMenuEnabled)
    Q_PROPERTY(bool selected READ IsSelected WRITE SetSelected)
    // Accepted for the skins' sake; the row's look comes from the style sheet.
    Q_PROPERTY(QString normalimage READ Ignored WRITE Ignore)
    Q_PROPERTY(QString hotimage READ Ignored WRITE Ignore)
    Q_PROPERTY(QString selectedimage READ Ignored WRITE Ignore)
  public:
    static constexpr const char* kContentFile = "XML/CustomControlXML/ComboEditElementItem.ui";

    explicit CComboEditContainerElementUI(QWidget* parent = nullptr);

    // Builds the content once (also done when the row is first shown). A skin without the file
    // leaves the row empty and its parts nullptr. `file` is relative to the skin folder.
    bool Init(const QString& file = QString::fromLatin1(kContentFile));
    bool IsInitialised() const { return initialised_; }

    QWidget* Text1() const { return text1_.data(); }
    QWidget* Text2() const { return text2_.data(); }
    QLineEdit* DelayEdit() const;

    bool MenuEnabled() const { return menu_; }
    void SetMenuEnabled(bool enabled) { menu_ = enabled; }
    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);
    bool IsHot() const { return hot_; }

    QString Ignored() const { return {}; }
    void Ignore(const QString&) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void Activate();

    QPointer<QWidget> text1_, text2_, delayEdit_;
    bool initialised_ = false;
    bool menu_ = false;
    bool selected_ = false;
    bool hot_ = false;
};

}  // namespace qx::controls
