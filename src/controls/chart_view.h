// A pie or bar chart of (text, value) items, with a legend (pie) or labels (bars).
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <vector>

namespace qx::controls {

class CChartViewUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString view READ View WRITE SetView)
    Q_PROPERTY(QString shadowimage READ ShadowImage WRITE SetShadowImage)
    Q_PROPERTY(int shadowimageheight READ ShadowImageHeight WRITE SetShadowImageHeight)
    Q_PROPERTY(QString pillarimage READ PillarImage WRITE SetPillarImage)
    Q_PROPERTY(int pillarimagewidth READ PillarImageWidth WRITE SetPillarImageWidth)
    Q_PROPERTY(bool showhtml READ ShowHtml WRITE SetShowHtml)
    Q_PROPERTY(bool showtext READ ShowText WRITE SetShowText)
    Q_PROPERTY(int font READ FontIndex WRITE SetFontIndex)
  public:
    struct Item {
        QString text;
        double value = 0;
    };

    explicit CChartViewUI(QWidget* parent = nullptr);

    void AddItem(const QString& text, double value);
    void ClearItems();
    const std::vector<Item>& Items() const { return items_; }

    // The slice colour of the item at `index` (18 colours, repeating).
    static QColor PaletteColour(std::size_t index);

    QString View() const { return view_; }
    void SetView(const QString& view);  // "pie" or "histpgram"
    QString ShadowImage() const { return shadowImage_; }
    void SetShadowImage(const QString& description);
    int ShadowImageHeight() const { return shadowHeight_; }
    void SetShadowImageHeight(int height);
    QString PillarImage() const { return pillarImage_; }
    void SetPillarImage(const QString& description);
    int PillarImageWidth() const { return pillarWidth_; }
    void SetPillarImageWidth(int width);
    bool ShowHtml() const { return showHtml_; }
    void SetShowHtml(bool show);
    bool ShowText() const { return showText_; }
    void SetShowText(bool show);
    int FontIndex() const { return fontIndex_; }
    void SetFontIndex(int index) { fontIndex_ = index; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintPie(QPainter& painter);
    void PaintBars(QPainter& painter);

    std::vector<Item> items_;
    QString view_ = QStringLiteral("pie");
    QString shadowImage_, pillarImage_;
    QPixmap shadowPixmap_, pillarPixmap_;
    int shadowHeight_ = 0;
    int pillarWidth_ = 20;
    bool showHtml_ = false;
    bool showText_ = true;
    int fontIndex_ = -1;
};

}  // namespace qx::controls
