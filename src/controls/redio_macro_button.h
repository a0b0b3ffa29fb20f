// The record button of the macro editor: while recording runs, its "redioimage" pulses (its
// opacity swings between 80 and 255 in steps of 20 every 50 ms).
#pragma once

#include <QPixmap>
#include <QPushButton>

class QTimer;

namespace qx::controls {

class CRedioMacroButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString redioimage READ RedioImage WRITE SetRedioImage)
  public:
    explicit CRedioMacroButtonUI(QWidget* parent = nullptr);

    QString RedioImage() const { return redioImage_; }
    void SetRedioImage(const QString& description);

    bool IsRunning() const { return running_; }
    void SetRunning(bool running);
    int Fade() const { return fade_; }
    // One pulse step (what each tick of the 50 ms timer does).
    void Step();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString redioImage_;
    QPixmap redioPixmap_;
    QTimer* timer_;
    bool running_ = false;
    bool rising_ = true;
    int fade_ = 80;
};

}  // namespace qx::controls
