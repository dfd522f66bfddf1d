#pragma once

#include <QStringList>

// The small tools of the main window's menu "快捷工具(&T)". The first program of a list found on
// the PATH is started without waiting for it; when none is found nothing happens.
QStringList calculator_programs();
QStringList editor_programs();
bool start_first(const QStringList& programs);
