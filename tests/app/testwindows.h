#pragma once

#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "answering_messages.h"
#include "main.h"
#include "register_commands.h"
#include "session.h"
#include "templedger.h"

// A child window as the real ones are built: constructed with the session, closing itself with
// its own "关闭" button.
class TestWindow : public QWidget {
public:
    explicit TestWindow(Session&, QWidget* parent = nullptr) : QWidget(parent) {
        setWindowTitle(QStringLiteral("测试窗口"));
        auto* close = new QPushButton(QStringLiteral("关闭"), this);
        close->setObjectName(QStringLiteral("CloseButton"));
        // Child windows have buttons named like the main window's tool buttons.
        for (const char* name : {"SpeedButton1", "SpeedButton3", "SpeedButton6"})
            (new QPushButton(QLatin1String(name), this))->setObjectName(QLatin1String(name));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(close);
        for (QPushButton* b : findChildren<QPushButton*>())
            layout->addWidget(b);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
    }
};

// A register window that records the commands of menu "账务处理" it receives.
class TestRegister : public TestWindow, public RegisterCommands {
public:
    using TestWindow::TestWindow;
    void zwyj() override { calls << QStringLiteral("zwyj"); }
    void cz() override { calls << QStringLiteral("cz"); }
    void rejsye() override { calls << QStringLiteral("rejsye"); }
    void turnexcel() override { calls << QStringLiteral("turnexcel"); }
    void yhdz() override { calls << QStringLiteral("yhdz"); }
    void zpdj() override { calls << QStringLiteral("zpdj"); }
    QStringList calls;
};

// A main window on a new ledger (administrator "admin" / "admin"), its messages answered.
struct MainOnLedger {
    AnsweringMessages messages;
    TempLedger ledger;
    Session session{ledger.dat};
    std::unique_ptr<TForm1> main = std::make_unique<TForm1>(session);
};
