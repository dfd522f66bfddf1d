#pragma once

// The commands of the main window's menu "账务处理", carried out by the most recent register
// window: posting, reversal, recalculation, export and bank reconciliation.
class RegisterCommands {
public:
    virtual ~RegisterCommands() = default;
    virtual void zwyj() = 0;       // 账务月结
    virtual void cz() = 0;         // 冲账
    virtual void rejsye() = 0;     // 重新计算余额
    virtual void turnexcel() = 0;  // 导出
    virtual void yhdz() = 0;       // 银行对账
    virtual void zpdj() = 0;       // 支票登记簿
};
