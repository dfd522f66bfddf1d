#include "roles.h"

#include <iterator>

namespace qb::roles {
namespace {

struct Rule {
    Action action;
    bool administrator;
    bool operatorRole;
    bool ordinaryUser;
};

// An ordinary user reads; an operator keeps the journal; the administrator also corrects posted
// months and manages books, users and the file.
constexpr Rule kTable[] = {
    {Action::WriteLines, true, true, false},    {Action::Post, true, true, false},
    {Action::PostAgain, true, false, false},    {Action::Reverse, true, false, false},
    {Action::Export, true, true, false},        {Action::KeepColumns, true, true, false},
    {Action::ManageBooks, true, false, false},  {Action::ManageUsers, true, false, false},
    {Action::Backups, true, true, false},       {Action::Passphrase, true, false, false},
    {Action::CashCounts, true, true, false},    {Action::Cheques, true, true, false},
    {Action::OperationLog, true, false, false},
};

// The table holds each action once, in the order of the enumeration.
constexpr bool inOrder() {
    for (size_t i = 0; i < std::size(kTable); ++i)
        if (size_t(kTable[i].action) != i) return false;
    return std::size(kTable) == size_t(Action::OperationLog) + 1;
}
static_assert(inOrder());

const Rule& ruleOf(Action action) {
    return kTable[size_t(action)];
}

}  // namespace

bool may(users::Role role, Action action) {
    const Rule& rule = ruleOf(action);
    switch (role) {
        case users::Administrator:
            return rule.administrator;
        case users::Operator:
            return rule.operatorRole;
        default:
            return rule.ordinaryUser;
    }
}

QString refusal(Action action) {
    switch (action) {
        case Action::Post:
            return QStringLiteral("对不起，你没有'过账'的权限！请以管理员或操作员身份登录.");
        case Action::Export:
            return QStringLiteral("对不起，你没有'导出'的权限！请以管理员或操作员身份登录.");
        case Action::PostAgain:  // the register's own words, though only administrators may
            return QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录.");
        default:
            return ruleOf(action).operatorRole
                       ? QStringLiteral("对不起，你没有修改权限！请以管理员或操作员身份登录.")
                       : QStringLiteral("对不起，你没有这个权限！请以管理员身份登录.");
    }
}

}  // namespace qb::roles
