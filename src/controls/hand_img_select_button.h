// A button that shows a picture larger than itself through a window of its own size, which the
// user moves by dragging the picture. A picture no larger than the button is shown whole.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPushButton>

namespace qx::controls {

class CHandImgSelectButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ HandImage WRITE SetHandImage)
    Q_PROPERTY(QString cursor READ CursorName WRITE SetCursorName)
  public:
    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);

    QString HandImage() const { return handImage_; }
    void SetHandImage(const QString& description);
    // "arrow", "ibeam", "wait", "cross", "uparrow", "size", "icon", "sizenwse", "sizenesw",
    // "sizewe", "sizens", "sizeall", "no", "hand"; other names keep the current cursor.
    QString CursorName() const { return cursorName_; }
    void SetCursorName(const QString& name);

    // True when the picture is wider or taller than the button.
    bool IsPannable() const;
    // The top left corner of the shown window within the picture.
    QPoint SourceOffset() const { return offset_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void ClampOffset();

    QString handImage_, cursorName_;
    QPixmap picture_;
    QPoint offset_;
    QPoint grab_;
    bool panning_ = false;
};

}  // namespace qx::controls
