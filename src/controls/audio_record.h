// A picture of a block of sound samples ("AudioRecord"): 500 values drawn as one-pixel bars two
// pixels apart, from the bottom up, a value of 8192 filling the height, black on white. It starts
// with the values 0-255 followed by zeros; SetValues shows another block.
#pragma once

#include <QLabel>
#include <array>
#include <cstdint>
#include <span>

namespace qx::controls {

class CAudioRecordUI : public QLabel {
    Q_OBJECT
  public:
    static constexpr int kValueCount = 500;
    static constexpr int kFullScale = 8192;

    explicit CAudioRecordUI(QWidget* parent = nullptr);

    // The first values of the block (at most 500); the others keep theirs.
    void SetValues(std::span<const int32_t> values);
    const std::array<int32_t, kValueCount>& Values() const { return values_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<int32_t, kValueCount> values_{};
};

}  // namespace qx::controls
