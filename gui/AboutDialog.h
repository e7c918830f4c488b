// A small borderless window with the product picture, the version and the web site; it
// can be dragged by any point and closes on a click outside the link or on Escape.
#pragma once

#include <QDialog>

namespace leafcraft::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint m_dragOffset;
};

} // namespace leafcraft::gui
