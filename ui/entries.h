#pragma once

// The object names of the main window's menus, menu entries and tool buttons: the main window
// makes them, the child windows switch them, the tests find them by these names.
namespace entries {

// Menus.
inline constexpr char kSystemMenu[] = "N1";       // 系统(&S)
inline constexpr char kBooksMenu[] = "N2";        // 账簿管理(&Z)
inline constexpr char kSetupMenu[] = "N4";        // 初始化(&C)
inline constexpr char kToolsMenu[] = "N7";        // 快捷工具(&T)
inline constexpr char kAccountingMenu[] = "N18";  // 账务处理, shown while a register lives
inline constexpr char kHelpMenu[] = "N21";        // 帮助(&H)
inline constexpr char kReportsMenu[] = "N40";     // 查询(&Q)

// Entries of 账簿管理.
inline constexpr char kRegister[] = "N9";       // 登记凭证
inline constexpr char kBalanceTable[] = "N10";  // 账户余额表
inline constexpr char kQuery[] = "N11";         // 日记帐查询
// Entries of 查询.
inline constexpr char kDailyReport[] = "N41";  // 资金日报表
// Entries of 账务处理, the register's commands.
inline constexpr char kPost[] = "N20";     // 账务月结
inline constexpr char kReverse[] = "N25";  // 冲账
inline constexpr char kRecalc[] = "N26";   // 重新计算余额
inline constexpr char kSeparator27[] = "N27";
inline constexpr char kExport[] = "N28";   // 导出
inline constexpr char kBankRec[] = "N29";  // 银行对账
inline constexpr char kCheques[] = "N31";  // 支票登记簿
// Entries of 初始化.
inline constexpr char kBookList[] = "N12";   // 帐薄初始化
inline constexpr char kPhrases[] = "N13";    // 摘要
inline constexpr char kBookNames[] = "N14";  // 帐户信息
// Entries of 快捷工具.
inline constexpr char kCalculator[] = "N15";  // 计算器
inline constexpr char kNotepad[] = "N16";     // 记事本
// Entries of 系统.
inline constexpr char kUsers[] = "N5";   // 用户管理
inline constexpr char kBackup[] = "N6";  // 数据管理
inline constexpr char kOpLog[] = "N30";  // 操作日志, administrators only
// Entries of 帮助.
inline constexpr char kHelp[] = "N22";   // 联机帮助
inline constexpr char kAbout[] = "N23";  // 关于......
inline constexpr char kSeparator3[] = "N3";
inline constexpr char kRelogin[] = "N19";  // 重新登录
inline constexpr char kSeparator24[] = "N24";
inline constexpr char kExit[] = "N8";  // 系统退出

// Tool buttons, each doing what an entry does.
inline constexpr char kRegisterButton[] = "SpeedButton1";  // 登  记
inline constexpr char kQueryButton[] = "SpeedButton2";     // 查  找
inline constexpr char kBookListButton[] = "SpeedButton3";  // 账簿管理
inline constexpr char kPhrasesButton[] = "SpeedButton4";   // 摘要设置
inline constexpr char kExitButton[] = "SpeedButton5";      // 系统退出
inline constexpr char kBackupButton[] = "SpeedButton6";    // 数据管理
inline constexpr char kDailyButton[] = "SpeedButton7";     // 资金日报

}  // namespace entries
