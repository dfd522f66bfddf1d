#pragma once

#include <QDialog>

// The about box: product, version, maker and notice; closed by its title-bar close box.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};
