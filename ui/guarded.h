#pragma once

#include <QString>
#include <exception>

#include "errors.h"
#include "messages.h"

// Runs an event handler's work and shows a failure of the data layer or the platform in a
// plain message box, so that a refused statement ends the handler but never the program.
template <typename Work>
bool guarded(Work&& work) {
    try {
        work();
        return true;
    } catch (const qb::DbError& e) {
        qb::messages().plain(e.message());
    } catch (const std::exception& e) {
        qb::messages().plain(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
