#pragma once

#include <QString>

// The help engine behind show_help: the chm reading library, loaded from the system on first
// use like the HTML Help engine was, and the help window, created when the engine is
// initialised. These let tests point the engine at another library and watch its life.

// The shared library loaded as the engine, by name or path ("chm", version 1, by default).
void set_help_library(const QString& name, int version = -1);
// How often the engine was initialised since the program started.
int help_initialisations();
// True while the engine library is loaded.
bool help_engine_loaded();
