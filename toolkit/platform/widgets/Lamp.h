// A round indicator lamp: lit or dark.
#pragma once

#include <QColor>
#include <QWidget>

namespace platform {

class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor onColor READ onColor WRITE setOnColor)

public:
    explicit Lamp(QWidget* parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);

    QColor onColor() const { return m_onColor; }
    void setOnColor(const QColor& color);

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_on = false;
    QColor m_onColor{0x2e, 0xcc, 0x40};
};

} // namespace platform
