// A picture button (a user's picture over the button) with a delete badge in its lower right
// corner. The badge stays locked (the button is a plain picture button) until it is unlocked.
#pragma once

#include <QPixmap>
#include <QPushButton>

namespace qx::controls {

class CHandImgButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ HandImage WRITE SetHandImage)
    Q_PROPERTY(QString deletenormalimage READ DeleteNormalImage WRITE SetDeleteNormalImage)
    Q_PROPERTY(QString deletehotimage READ DeleteHotImage WRITE SetDeleteHotImage)
  public:
    explicit CHandImgButtonUI(QWidget* parent = nullptr);

    QString HandImage() const { return handImage_; }
    void SetHandImage(const QString& description);
    QString DeleteNormalImage() const { return deleteNormalImage_; }
    void SetDeleteNormalImage(const QString& description);
    QString DeleteHotImage() const { return deleteHotImage_; }
    void SetDeleteHotImage(const QString& description);

    bool DeleteLocked() const { return deleteLocked_; }
    void SetDeleteLocked(bool locked);
    // 20 x 20 (scaled with the window's display scale), 30 from the right and 29 from the bottom.
    QRect BadgeRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString handImage_, deleteNormalImage_, deleteHotImage_;
    QPixmap handPixmap_, deleteNormalPixmap_, deleteHotPixmap_;
    bool deleteLocked_ = true;
    bool hovering_ = false;
    bool overBadge_ = false;
};

}  // namespace qx::controls
