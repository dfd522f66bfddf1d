#pragma once

#include <QWidget>

// The splash window: a borderless picture centred on the screen while the program starts.
class Tfr_show : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 442;
    static constexpr int kHeight = 280;
    explicit Tfr_show(QWidget* parent = nullptr);
};
