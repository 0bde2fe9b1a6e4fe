#pragma once

#include <QWidget>
#include <cstdint>

// The paint box that draws the controller's four configuration switches from the live mode byte.
class SwitchIndicator : public QWidget {
    Q_OBJECT
public:
    explicit SwitchIndicator(QWidget* parent = nullptr);

    void setLiveMode(std::uint8_t mode);
    std::uint8_t liveMode() const { return liveMode_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::uint8_t liveMode_ = 0;
};
