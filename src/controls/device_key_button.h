// One key or LED of a device picture: a button that shows the key's light (colour and level) and
// two marks for "key assigned" / "key not assigned". Selected by the rubber band of its panel.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QPushButton>

namespace qx::controls {

class CDeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString lightimage READ LightImage WRITE SetLightImage)
    Q_PROPERTY(QString keysetimage READ KeySetImage WRITE SetKeySetImage)
    Q_PROPERTY(QString keyunsetimage READ KeyUnsetImage WRITE SetKeyUnsetImage)
    Q_PROPERTY(QString gmnametextcolor READ GmNameTextColor WRITE SetGmNameTextColor)
  public:
    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    // colour is packed red | blue << 8 | green << 16; level 0..255 is the light's opacity; the
    // light shows only while flag is non-zero.
    void SetKeyLight(quint32 colour, int level, int flag);
    quint32 LightColour() const { return lightColour_; }
    int LightLevel() const { return lightLevel_; }
    int LightFlag() const { return lightFlag_; }
    static QColor UnpackColour(quint32 colour);

    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }
    bool KeySetHidden() const { return keySetHidden_; }
    void SetKeySetHidden(bool hidden);
    bool KeyUnsetHidden() const { return keyUnsetHidden_; }
    void SetKeyUnsetHidden(bool hidden);

    QString LightImage() const { return lightImage_; }
    void SetLightImage(const QString& description);
    QString KeySetImage() const { return keySetImage_; }
    void SetKeySetImage(const QString& description);
    QString KeyUnsetImage() const { return keyUnsetImage_; }
    void SetKeyUnsetImage(const QString& description);
    // Accepted for the skins' sake; it changes nothing.
    QString GmNameTextColor() const { return gmNameTextColor_; }
    void SetGmNameTextColor(const QString& colour) { gmNameTextColor_ = colour; }

    // Times the button's face was drawn by the style (tests: a light change alone reuses it).
    int FaceRenders() const { return faceRenders_; }
    // Set on an LED button whose light the picture's LED widget draws (the button is hidden).
    void SetDrawnByPicture(bool drawn) { drawnByPicture_ = drawn; }
    bool DrawnByPicture() const { return drawnByPicture_; }
    // Set on a key over a picture's LED widget: that widget draws the key's face while the key
    // is neither hovered nor pressed, so that a frame of the lights is one paint and not one more
    // per key. The key draws its face itself in those states, and its light and marks always.
    void SetFaceDrawnBelow(bool below);
    bool FaceDrawnBelow() const;
    // The key's face as the style draws it in its present state; null when it draws nothing.
    const QPixmap* Face();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // What the style draws the face from; the face is drawn again only when this changes.
    struct FaceKey {
        int state = 0;  // enabled, hovered, down, checked, focused, active window, kind
        QString text;
        qint64 icon = 0;
        QSize iconSize;
        QSize size;
        qint64 palette = 0;
        QString font;
        qreal ratio = 1.0;
        bool operator==(const FaceKey&) const = default;
    };
    // Brings face_ up to date; false when the style draws nothing.
    bool PrepareFace();
    const QImage& TintedLight(const QColor& colour);

    QString lightImage_, keySetImage_, keyUnsetImage_, gmNameTextColor_;
    QPixmap lightPixmap_, keySetPixmap_, keyUnsetPixmap_;
    // The button as the style draws it (its style sheet rules, state and text): a picture of
    // many keys repaints with every frame of the lighting, and styling each key anew each time
    // is most of that cost.
    QPixmap face_;
    FaceKey faceKey_;
    QString fontKey_;  // font().key(), empty until needed after a change
    bool faceValid_ = false;
    bool faceBlank_ = false;  // the style draws nothing (a transparent LED): nothing to copy
    int faceRenders_ = 0;
    QImage scaledLight_;  // the light's shape at the button's size
    QImage tinted_;       // that shape in tintedColour_
    QColor tintedColour_;
    quint32 lightColour_ = 255;
    int lightLevel_ = 200;
    int lightFlag_ = 0;
    bool selected_ = false;
    bool keySetHidden_ = true;
    bool keyUnsetHidden_ = true;
    bool drawnByPicture_ = false;
    bool faceBelow_ = false;
};

}  // namespace qx::controls
